// The console program's byte meter: while a transfer runs longer than a second, one line on
// standard error, rewritten in place with a carriage return, shows its file, bytes, rate and
// time left, as curl and git do. An upload's transfer begins with the packing of its file,
// which the line marks as such; the second counts from the packing's start, so a long
// packing shows even when the upload after it is quick. The line is wiped when the transfer
// ends and before any other line is printed, so the terminal keeps only the program's own
// lines. It exists only while standard error is a terminal and BRELMOX_PROGRESS is not "off".
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class ProgressMeter {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    struct Options {
        std::chrono::milliseconds delay{1000};    // a transfer shorter than this shows nothing
        std::chrono::milliseconds interval{200};  // at least this between two drawings
        Clock clock = [] { return std::chrono::steady_clock::now(); };
        int columns = 0;  // the line's room; 0: the terminal's width, 80 when it has none
    };

    // Draws on fd, which must stay open while the meter lives.
    ProgressMeter(int fd, Options options);
    ~ProgressMeter();  // wipes a line still shown
    ProgressMeter(const ProgressMeter&) = delete;
    ProgressMeter& operator=(const ProgressMeter&) = delete;

    // The meter of standard error, or null when standard error is not a terminal or the
    // environment variable BRELMOX_PROGRESS is "off" (in any case).
    static std::unique_ptr<ProgressMeter> ForStandardError(Options options);
    static std::unique_ptr<ProgressMeter> ForStandardError();

    // What the bytes are: a file's packing, or its archive or an answer on the wire.
    enum class Stage { Packing, Wire };

    // The transfer's bytes so far: the first call after End starts a transfer and its clock.
    // A new name moves on to the next file of the same transfer; a new stage starts its own
    // count and rate.
    void Update(const std::string& name, uint64_t done, uint64_t total, Stage stage = Stage::Wire);
    // The transfer is over: the line is wiped.
    void End();
    // Wipes the line before another line is printed; the next Update draws it again.
    void Clear();

    // The meter's text: the name (its end, when the room is short; control bytes shown as
    // '?'), "packing" while packing, the bytes, with a total the share and the time left, and
    // the rate; at most columns - 1 characters, so the terminal never wraps it.
    static std::string Line(const std::string& name, uint64_t done, uint64_t total,
                            double bytesPerSecond, int columns, Stage stage = Stage::Wire);

  private:
    void StartStage(Stage stage, const std::string& name,
                    std::chrono::steady_clock::time_point now);
    void Draw(std::chrono::steady_clock::time_point now);
    void Write(const std::string& bytes) const;
    int Columns() const;

    int fd_;
    Options options_;
    bool active_ = false;  // a transfer has begun and not ended
    std::chrono::steady_clock::time_point start_;
    Stage stage_ = Stage::Wire;
    std::chrono::steady_clock::time_point stageStart_;
    std::chrono::steady_clock::time_point lastDraw_;
    bool drawn_ = false;      // drawn at least once in this transfer
    size_t shownLength_ = 0;  // characters on the line now; 0: nothing shown
    std::string name_;
    uint64_t done_ = 0;
    uint64_t total_ = 0;
    uint64_t earlierFiles_ = 0;  // bytes of the stage's files before the current one
};
