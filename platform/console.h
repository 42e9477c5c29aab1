// The console the program runs in: its arguments, its text streams and its width.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace platform {

// True when the descriptor is a terminal (a console window on Windows).
bool IsConsole(int fd);

// True where the shell expands file-name patterns before a program sees them, so that one
// pattern arrives as many words; false where each program expands its own patterns.
bool ShellExpandsPatterns();

// The width of the terminal behind the descriptor in columns, 0 when it is none.
int ConsoleColumns(int fd);

// Writes UTF-8 text whole: to a console window as text, elsewhere as its bytes. False when
// it could not.
bool WriteText(int fd, const std::string& text);

// The program's view of its console for as long as it lives: the arguments as UTF-8, and
// std::cout and std::cerr writing UTF-8 text so that a terminal shows every name (as text
// to a console window, as bytes when redirected).
class ProgramConsole {
  public:
    ProgramConsole(int argc, char** argv);
    ~ProgramConsole();
    ProgramConsole(const ProgramConsole&) = delete;
    ProgramConsole& operator=(const ProgramConsole&) = delete;

    int Argc() const { return static_cast<int>(pointers_.size()) - 1; }
    char** Argv() { return pointers_.data(); }

  private:
    struct Streams;
    std::vector<std::string> arguments_;
    std::vector<char*> pointers_;
    std::unique_ptr<Streams> streams_;
};

}  // namespace platform
