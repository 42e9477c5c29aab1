#include "scc/host/result_names.h"

#include <utility>

namespace scchost {

std::string DescribeResult(SCCRTN result) {
    static const std::pair<SCCRTN, const char*> kNames[] = {
        {SCC_OK, "SCC_OK"},
        {SCC_I_OPERATIONCANCELED, "SCC_I_OPERATIONCANCELED"},
        {SCC_I_ADV_SUPPORT, "SCC_I_ADV_SUPPORT"},
        {SCC_I_FILEDIFFERS, "SCC_I_FILEDIFFERS"},
        {SCC_E_INITIALIZEFAILED, "SCC_E_INITIALIZEFAILED"},
        {SCC_E_UNKNOWNPROJECT, "SCC_E_UNKNOWNPROJECT"},
        {SCC_E_COULDNOTCREATEPROJECT, "SCC_E_COULDNOTCREATEPROJECT"},
        {SCC_E_NOTCHECKEDOUT, "SCC_E_NOTCHECKEDOUT"},
        {SCC_E_ALREADYCHECKEDOUT, "SCC_E_ALREADYCHECKEDOUT"},
        {SCC_E_FILEISLOCKED, "SCC_E_FILEISLOCKED"},
        {SCC_E_FILENOTCONTROLLED, "SCC_E_FILENOTCONTROLLED"},
        {SCC_E_OPNOTSUPPORTED, "SCC_E_OPNOTSUPPORTED"},
        {SCC_E_NONSPECIFICERROR, "SCC_E_NONSPECIFICERROR"},
        {SCC_E_NOTAUTHORIZED, "SCC_E_NOTAUTHORIZED"},
        {SCC_E_CONNECTIONFAILURE, "SCC_E_CONNECTIONFAILURE"},
    };
    for (const auto& [code, name] : kNames) {
        if (code == result) return std::string(name) + " (" + std::to_string(result) + ")";
    }
    return std::to_string(result);
}

}  // namespace scchost
