#include "cli/progress_meter.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "cli/messages.h"
#include "platform/console.h"

namespace {

constexpr int kDefaultColumns = 80;
constexpr const char* kSwitchVariable = "BRELMOX_PROGRESS";
constexpr int kStandardError = 2;

bool IsOff(const std::string& setting) {
    std::string lower = setting;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower == "off";
}

std::string Bytes(uint64_t count) {
    static const char* const kUnits[] = {"KiB", "MiB", "GiB", "TiB"};
    if (count < 1024) return std::to_string(count) + " B";
    double value = static_cast<double>(count) / 1024;
    int unit = 0;
    while (value >= 1024 && unit < 3) {
        value /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
    return text;
}

std::string Duration(double seconds) {
    if (seconds > 99 * 3600) return "--:--";
    const long total = static_cast<long>(seconds + 0.5);
    char text[32];
    if (total >= 3600) {
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60,
                      total % 60);
    } else {
        std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
    }
    return text;
}

// Characters on the terminal: every byte but UTF-8 continuation bytes.
size_t Width(const std::string& text) {
    size_t width = 0;
    for (unsigned char c : text) width += (c & 0xC0) != 0x80;
    return width;
}

// A name from the server or the file system must not steer the terminal: control bytes
// (escape sequences, line breaks) are shown as '?'.
std::string Printable(const std::string& name) {
    std::string shown = name;
    for (char& c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) c = '?';
    }
    return shown;
}

// The name's end in at most room characters, "..." standing for the rest.
std::string Fitted(const std::string& name, size_t room) {
    if (Width(name) <= room) return name;
    if (room <= 3) return "";
    size_t keep = room - 3;
    size_t at = name.size();
    while (at > 0 && keep > 0) {
        --at;
        if ((static_cast<unsigned char>(name[at]) & 0xC0) != 0x80) --keep;
    }
    // Never start inside a character.
    while (at < name.size() && (static_cast<unsigned char>(name[at]) & 0xC0) == 0x80) ++at;
    return "..." + name.substr(at);
}

}  // namespace

ProgressMeter::ProgressMeter(int fd, Options options) : fd_(fd), options_(std::move(options)) {}

ProgressMeter::~ProgressMeter() {
    Clear();
}

std::unique_ptr<ProgressMeter> ProgressMeter::ForStandardError(Options options) {
    const char* setting = std::getenv(kSwitchVariable);
    if (setting != nullptr && IsOff(setting)) return nullptr;
    if (!platform::IsConsole(kStandardError)) return nullptr;
    return std::make_unique<ProgressMeter>(kStandardError, std::move(options));
}

std::unique_ptr<ProgressMeter> ProgressMeter::ForStandardError() {
    return ForStandardError(Options{});
}

void ProgressMeter::Update(const std::string& name, uint64_t done, uint64_t total, Stage stage) {
    const auto now = options_.clock();
    if (!active_) {
        active_ = true;
        drawn_ = false;
        start_ = now;
        StartStage(stage, name, now);
    } else if (stage != stage_) {
        StartStage(stage, name, now);
    }
    if (name != name_) {
        earlierFiles_ += done_;
        name_ = name;
    }
    done_ = done;
    total_ = total;
    if (now - start_ < options_.delay) return;
    if (drawn_ && now - lastDraw_ < options_.interval) return;
    Draw(now);
}

// Packed bytes and bytes on the wire are not the same bytes: each stage has its own rate.
void ProgressMeter::StartStage(Stage stage, const std::string& name,
                               std::chrono::steady_clock::time_point now) {
    stage_ = stage;
    stageStart_ = now;
    name_ = name;
    earlierFiles_ = 0;
    done_ = 0;
}

void ProgressMeter::End() {
    Clear();
    active_ = false;
}

void ProgressMeter::Clear() {
    if (shownLength_ == 0) return;
    Write("\r" + std::string(shownLength_, ' ') + "\r");
    shownLength_ = 0;
}

void ProgressMeter::Draw(std::chrono::steady_clock::time_point now) {
    const double seconds = std::chrono::duration<double>(now - stageStart_).count();
    const double rate = seconds > 0 ? static_cast<double>(earlierFiles_ + done_) / seconds : 0.0;
    const std::string line = Line(name_, done_, total_, rate, Columns(), stage_);
    const size_t width = Width(line);
    // Blanks wipe what a longer line before left behind.
    std::string bytes = "\r" + line;
    if (width < shownLength_) bytes += std::string(shownLength_ - width, ' ');
    Write(bytes);
    shownLength_ = std::max(width, shownLength_);
    drawn_ = true;
    lastDraw_ = now;
}

std::string ProgressMeter::Line(const std::string& name, uint64_t done, uint64_t total,
                                double bytesPerSecond, int columns, Stage stage) {
    std::string figures = stage == Stage::Packing ? std::string(climsg::kMeterPacking) + "  " : "";
    figures += Bytes(done);
    if (total > 0) {
        const uint64_t shown = done < total ? done : total;
        figures += " / " + Bytes(total) + "  " +
                   std::to_string(static_cast<int>(100.0 * static_cast<double>(shown) /
                                                   static_cast<double>(total))) +
                   "%";
    }
    figures += "  " + Bytes(static_cast<uint64_t>(bytesPerSecond)) + "/s";
    if (total > 0) {
        const uint64_t left = done < total ? total - done : 0;
        figures += "  " +
                   (bytesPerSecond > 0 ? Duration(static_cast<double>(left) / bytesPerSecond)
                                       : std::string("--:--")) +
                   " left";
    }
    const size_t room = columns > 1 ? static_cast<size_t>(columns - 1) : 0;
    if (figures.size() > room) return figures.substr(0, room);
    const std::string fitted =
        figures.size() + 2 < room ? Fitted(Printable(name), room - figures.size() - 2) : "";
    return fitted.empty() ? figures : fitted + "  " + figures;
}

void ProgressMeter::Write(const std::string& bytes) const {
    // A meter that cannot be shown is not a failure.
    platform::WriteText(fd_, bytes);
}

int ProgressMeter::Columns() const {
    if (options_.columns > 0) return options_.columns;
    const int columns = platform::ConsoleColumns(fd_);
    return columns > 0 ? columns : kDefaultColumns;
}
