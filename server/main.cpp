// brelmox-server: the substitute repository server and its administration.
#include <string>
#include <vector>

#include "server/command_line.h"

int main(int argc, char** argv) {
    return server::RunCommandLine(std::vector<std::string>(argv + 1, argv + argc));
}
