// brelmox-server: the substitute repository server and its administration.
#include <iostream>
#include <string>
#include <vector>

#include "common/program_info.h"
#include "server/admin/command_line.h"

int main(int argc, char** argv) {
    if (brelmox::AnswerInfoRequest(argc, argv, "brelmox-server", server::Usage(), std::cout))
        return 0;
    return server::RunCommandLine(std::vector<std::string>(argv + 1, argv + argc));
}
