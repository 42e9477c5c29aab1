// brelmox: the command-line client. The first argument names the command; anything
// that is not a command prints the usage text.
#include "cli/commands.h"
#include "platform/console.h"

int main(int systemArgc, char** systemArgv) {
    platform::ProgramConsole console(systemArgc, systemArgv);
    const int argc = console.Argc();
    char** argv = console.Argv();
    const Command* command = FindCommand(argc > 1 ? argv[1] : "");
    if (command == nullptr) {
        PrintUsage();
        return 0;
    }
    return RunCommand(*command, argc, argv);
}
