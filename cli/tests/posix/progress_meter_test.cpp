// The byte meter on standard error: shown on a terminal (a pseudo-terminal here) once a
// transfer, its packing included, has run past its delay, wiped at the end and before every
// printed line, and never written when standard error is a pipe or BRELMOX_PROGRESS is off.
// The clock is the test's own, so nothing here depends on how fast the machine is.
#include "cli/progress_meter.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <string>

#include "cli/console_notifier.h"
#include "test_support/scoped_variable.h"

namespace {

using namespace std::chrono_literals;
using Time = std::chrono::steady_clock::time_point;

// Everything written to the descriptor's other end so far.
std::string Drain(int fd) {
    std::string bytes;
    char piece[4096];
    for (;;) {
        const ssize_t got = read(fd, piece, sizeof piece);
        if (got <= 0) return bytes;
        bytes.append(piece, static_cast<size_t>(got));
    }
}

// Standard error is replaced by target until the object goes.
class StandardErrorAs {
  public:
    explicit StandardErrorAs(int target) : saved_(dup(STDERR_FILENO)) {
        dup2(target, STDERR_FILENO);
    }
    ~StandardErrorAs() {
        dup2(saved_, STDERR_FILENO);
        close(saved_);
    }

  private:
    int saved_;
};

class Pty {
  public:
    Pty() {
        winsize size{};
        size.ws_col = 100;
        size.ws_row = 24;
        EXPECT_EQ(openpty(&master, &slave, nullptr, nullptr, &size), 0);
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    }
    ~Pty() {
        close(slave);
        close(master);
    }
    int master = -1;
    int slave = -1;
};

ProgressMeter::Options FakeClock(Time* now, std::chrono::milliseconds delay) {
    ProgressMeter::Options options;
    options.delay = delay;
    options.interval = 200ms;
    options.clock = [now] { return *now; };
    return options;
}

// A console whose standard error is a pseudo-terminal, its meter on the test's clock and
// standard output captured; the terminal stays standard error until the console is gone.
class ProgressMeterOnATerminal : public testing::Test {
  protected:
    void SetUp() override { testing::internal::CaptureStdout(); }
    std::string Shown() { return Drain(pty.master); }
    std::string Printed() {
        std::cout.flush();
        return testing::internal::GetCapturedStdout();
    }

    testsupport::ScopedVariable on{"BRELMOX_PROGRESS", ""};
    Pty pty;
    Time now{};
    StandardErrorAs terminal{pty.slave};
    ConsoleNotifier console{ProgressMeter::ForStandardError(FakeClock(&now, 1000ms))};
};

TEST_F(ProgressMeterOnATerminal, ALineAppearsAfterTheDelayAndIsWipedAtTheEnd) {
    console.TransferBytes("/w/big.bin", 0, 100 << 20);
    now += 500ms;
    console.TransferBytes("/w/big.bin", 10 << 20, 100 << 20);
    std::string shown = Shown();  // before the delay: nothing
    now += 1500ms;
    console.TransferBytes("/w/big.bin", 40 << 20, 100 << 20);
    shown += "|" + Shown();
    now += 100ms;  // within the interval: not drawn again
    console.TransferBytes("/w/big.bin", 41 << 20, 100 << 20);
    shown += "|" + Shown();
    console.Message("a line of its own");
    shown += "|" + Shown();
    console.TransferEnd();
    shown += "|" + Shown();
    EXPECT_EQ(Printed(), "a line of its own\n");
    // 40 MiB in 2 s: 20 MiB/s, 60 MiB left: 3 s.
    const std::string line = "/w/big.bin  40.0 MiB / 100.0 MiB  40%  20.0 MiB/s  0:03 left";
    const std::string wipe = "\r" + std::string(line.size(), ' ') + "\r";
    EXPECT_EQ(shown, "|\r" + line + "||" + wipe + "|");
}

// Packing a large file takes longer than uploading it: the line says so, the second counts
// from the packing's start, the upload then shows at its own rate, and the end wipes it.
TEST_F(ProgressMeterOnATerminal, APackingShowsAsSuchThenItsUploadAndTheEndWipesThem) {
    console.PackingBytes("/w/big.bin", 1 << 20, 100 << 20);
    now += 2000ms;
    console.PackingBytes("/w/big.bin", 50 << 20, 100 << 20);
    std::string shown = Shown();
    now += 500ms;
    console.TransferBytes("/w/big.bin", 0, 80 << 20);  // past the delay at once
    shown += "|" + Shown();
    now += 1000ms;
    console.TransferBytes("/w/big.bin", 20 << 20, 80 << 20);
    shown += "|" + Shown();
    console.TransferEnd();
    shown += "|" + Shown();
    console.PackingBytes("/w/next.bin", 1 << 20, 2 << 20);  // a new transfer: not yet shown
    console.TransferEnd();
    shown += "|" + Shown();
    EXPECT_EQ(Printed(), "");
    // 50 MiB packed in 2 s: 25 MiB/s, 50 MiB left: 2 s.
    const std::string packing =
        "/w/big.bin  packing  50.0 MiB / 100.0 MiB  50%  25.0 MiB/s  0:02 left";
    const std::string starting = "/w/big.bin  0 B / 80.0 MiB  0%  0 B/s  --:-- left";
    // 20 MiB sent in 1 s, 60 MiB left: 3 s.
    const std::string sending = "/w/big.bin  20.0 MiB / 80.0 MiB  25%  20.0 MiB/s  0:03 left";
    const std::string wipe = "\r" + std::string(packing.size(), ' ') + "\r";
    EXPECT_EQ(shown, "\r" + packing + "|\r" + starting +
                         std::string(packing.size() - starting.size(), ' ') + "|\r" + sending +
                         std::string(packing.size() - sending.size(), ' ') + "|" + wipe + "|");
}

TEST(ProgressMeter, AShorterLineCoversTheLongerOneAndANewFileKeepsTheRate) {
    Pty pty;
    Time now{};
    ProgressMeter meter(pty.slave, FakeClock(&now, 0ms));
    meter.Update("first-file-with-a-long-name.bin", 4 << 20, 0);
    now += 1s;
    meter.Update("first-file-with-a-long-name.bin", 8 << 20, 0);
    now += 1s;
    meter.Update("b", 8 << 20, 0);
    const std::string shown = Drain(pty.master);
    const std::string first = "\rfirst-file-with-a-long-name.bin  4.0 MiB  0 B/s";
    const std::string second = "\rfirst-file-with-a-long-name.bin  8.0 MiB  8.0 MiB/s";
    // 16 MiB over 2 s for the transfer, the first file's 8 MiB included.
    const std::string third = "\rb  8.0 MiB  8.0 MiB/s";
    EXPECT_EQ(shown, first + second + third + std::string(second.size() - third.size(), ' '));
}

TEST(ProgressMeter, WithAPipeAsStandardErrorNothingIsWritten) {
    testsupport::ScopedVariable on("BRELMOX_PROGRESS", "");
    int pipeEnds[2];
    ASSERT_EQ(pipe2(pipeEnds, O_NONBLOCK), 0);
    {
        StandardErrorAs notATerminal(pipeEnds[1]);
        EXPECT_EQ(ProgressMeter::ForStandardError(), nullptr);
        ConsoleNotifier console(ProgressMeter::ForStandardError());
        testing::internal::CaptureStdout();
        console.TransferBytes("big.bin", 0, 1000);
        console.TransferBytes("big.bin", 500, 1000);
        console.Message("line");
        console.TransferEnd();
        std::cout.flush();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "line\n");
    }
    close(pipeEnds[1]);
    EXPECT_EQ(Drain(pipeEnds[0]), "");
    close(pipeEnds[0]);
}

TEST(ProgressMeter, TheSwitchTurnsItOffOnATerminal) {
    Pty pty;
    StandardErrorAs terminal(pty.slave);
    for (const char* off : {"off", "OFF", "Off"}) {
        testsupport::ScopedVariable variable("BRELMOX_PROGRESS", off);
        EXPECT_EQ(ProgressMeter::ForStandardError(), nullptr) << off;
    }
    testsupport::ScopedVariable other("BRELMOX_PROGRESS", "on");
    EXPECT_NE(ProgressMeter::ForStandardError(), nullptr);
}

TEST(ProgressMeter, TheLineFitsTheTerminalAndNamesCannotSteerIt) {
    const std::string line =
        ProgressMeter::Line("/a/very/long/path/to/some/file.bin", 1536, 4096, 1024, 70);
    EXPECT_EQ(line, "...ath/to/some/file.bin  1.5 KiB / 4.0 KiB  37%  1.0 KiB/s  0:03 left");
    EXPECT_EQ(line.size(), 69u);
    EXPECT_EQ(ProgressMeter::Line("a\x1b[2Jb\n", 10, 0, 0, 80), "a?[2Jb?  10 B  0 B/s");
    // No room for a name: the figures alone, cut to the room.
    EXPECT_EQ(ProgressMeter::Line("name", 10, 0, 0, 10), "10 B  0 B");
    // A name in UTF-8 is cut between characters.
    EXPECT_EQ(ProgressMeter::Line("\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9", 1, 0, 0, 17),
              "...\xc3\xa9  1 B  0 B/s");
    EXPECT_EQ(ProgressMeter::Line("x", 3ull << 30, 4ull << 30, 1 << 20, 80),
              "x  3.0 GiB / 4.0 GiB  75%  1.0 MiB/s  17:04 left");
    // Short of room, the packing keeps its mark and the name gives way.
    EXPECT_EQ(
        ProgressMeter::Line("/a/long/path/file.bin", 10, 0, 0, 34, ProgressMeter::Stage::Packing),
        "...file.bin  packing  10 B  0 B/s");
}

}  // namespace
