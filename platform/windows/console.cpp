// The console on Windows: the arguments come from the wide command line, and text reaches a
// console window as UTF-16 through WriteConsoleW, where a code page would lose every name
// outside it; redirected output stays UTF-8 bytes.
#include "platform/console.h"

// windows.h first: shellapi.h depends on it.
#include <windows.h>

#include <io.h>
#include <shellapi.h>

#include <iostream>
#include <streambuf>

#include "platform/file_system.h"
#include "platform/windows/commit_lock.h"
#include "platform/windows/utf16.h"

namespace platform {

namespace {

constexpr int kStandardOutput = 1;
constexpr int kStandardError = 2;

HANDLE ConsoleOf(int fd) {
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

// How many bytes at the end of text are the start of a character still to come.
size_t UnfinishedTail(const std::string& text) {
    const size_t longest = std::min<size_t>(text.size(), 3);
    for (size_t back = 1; back <= longest; ++back) {
        const auto byte = static_cast<unsigned char>(text[text.size() - back]);
        if ((byte & 0xC0) == 0x80) continue;  // a continuation byte: look further back
        const size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}

// Collects UTF-8 bytes and writes whole characters to the console as UTF-16.
class ConsoleBuffer : public std::streambuf {
  public:
    explicit ConsoleBuffer(HANDLE console) : console_(console) {}
    ~ConsoleBuffer() override { sync(); }

  protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        pending_ += traits_type::to_char_type(c);
        if (c == '\n') sync();
        return c;
    }
    std::streamsize xsputn(const char* data, std::streamsize count) override {
        pending_.append(data, static_cast<size_t>(count));
        return count;
    }
    int sync() override {
        const size_t tail = UnfinishedTail(pending_);
        const std::wstring text = Utf16(pending_.substr(0, pending_.size() - tail));
        pending_.erase(0, pending_.size() - tail);
        DWORD written = 0;
        return text.empty() || WriteConsoleW(console_, text.data(), static_cast<DWORD>(text.size()),
                                             &written, nullptr)
                   ? 0
                   : -1;
    }

  private:
    HANDLE console_;
    std::string pending_;
};

// Ctrl-C, Ctrl-Break or the console window closing end the program at once, as a signal ends
// it on POSIX, with the status Windows gives such an end; a download cut short is deleted by
// the system with the program's last handle. A download taking its target's place finishes
// first. The default handler would leave the status to the system (Wine gives 0, a success).
BOOL WINAPI EndOnInterrupt(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) {
        return FALSE;
    }
    ReplacementCommitLock().lock();  // kept: no commit starts after this
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(STATUS_CONTROL_C_EXIT));
    return TRUE;
}

}  // namespace

struct ProgramConsole::Streams {
    std::unique_ptr<ConsoleBuffer> output;
    std::unique_ptr<ConsoleBuffer> error;
    std::streambuf* previousOutput = nullptr;
    std::streambuf* previousError = nullptr;
};

// cmd.exe and PowerShell hand a pattern over as typed.
bool ShellExpandsPatterns() {
    return false;
}

bool IsConsole(int fd) {
    return ConsoleOf(fd) != nullptr;
}

int ConsoleColumns(int fd) {
    const HANDLE console = ConsoleOf(fd);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (console == nullptr || !GetConsoleScreenBufferInfo(console, &info)) return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

bool WriteText(int fd, const std::string& text) {
    const HANDLE console = ConsoleOf(fd);
    if (console == nullptr) return WriteAll(fd, text.data(), text.size());
    const std::wstring wide = Utf16(text);
    DWORD written = 0;
    return wide.empty() ||
           WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

ProgramConsole::ProgramConsole(int argc, char** argv) : streams_(std::make_unique<Streams>()) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide != nullptr) {
        for (int i = 0; i < count; ++i) arguments_.push_back(Utf8(wide[i]));
        LocalFree(wide);
    } else {
        arguments_.assign(argv, argv + argc);
    }
    for (std::string& argument : arguments_) pointers_.push_back(argument.data());
    pointers_.push_back(nullptr);
    SetConsoleCtrlHandler(EndOnInterrupt, TRUE);

    if (const HANDLE console = ConsoleOf(kStandardOutput)) {
        std::cout.flush();
        streams_->output = std::make_unique<ConsoleBuffer>(console);
        streams_->previousOutput = std::cout.rdbuf(streams_->output.get());
    }
    if (const HANDLE console = ConsoleOf(kStandardError)) {
        streams_->error = std::make_unique<ConsoleBuffer>(console);
        streams_->previousError = std::cerr.rdbuf(streams_->error.get());
    }
}

ProgramConsole::~ProgramConsole() {
    if (streams_->output) {
        std::cout.flush();
        std::cout.rdbuf(streams_->previousOutput);
    }
    if (streams_->error) {
        std::cerr.flush();
        std::cerr.rdbuf(streams_->previousError);
    }
}

}  // namespace platform
