// The console on a POSIX terminal: arguments and streams are UTF-8 bytes already.
#include "platform/console.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/file_system.h"

namespace platform {

struct ProgramConsole::Streams {};

bool ShellExpandsPatterns() {
    return true;
}

bool IsConsole(int fd) {
    return isatty(fd) == 1;
}

int ConsoleColumns(int fd) {
    winsize size{};
    return ioctl(fd, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

bool WriteText(int fd, const std::string& text) {
    return WriteAll(fd, text.data(), text.size());
}

ProgramConsole::ProgramConsole(int argc, char** argv) : arguments_(argv, argv + argc) {
    for (std::string& argument : arguments_) pointers_.push_back(argument.data());
    pointers_.push_back(nullptr);
}

ProgramConsole::~ProgramConsole() = default;

}  // namespace platform
