#include "scc/command_options.h"

#include <string>

namespace brelmoxscc {

SCCRTN GetCommandOptions(ProviderContext& context, SCCCOMMAND command, LPCMDOPTS* options) {
    if (command != SCC_COMMAND_OPTIONS) return SCC_OK;
    if (options == nullptr) return SCC_I_ADV_SUPPORT;
    std::string commandLine = context.m_strDiffCommand;
    if (context.Ui().EditCommandOptions(&commandLine)) {
        context.m_strDiffCommand = commandLine;
        context.SaveConfig();
    }
    return SCC_OK;
}

}  // namespace brelmoxscc
