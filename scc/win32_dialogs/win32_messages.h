// Texts that only the Windows dialogs show, beside the provider's message table.
#pragma once

namespace brelmoxscc::msg {
// The file-open dialog's filter: pairs of a name and a pattern, each ended by a null
// character, the list by one more.
constexpr char kExecutableFilter[] = "Executable (*.exe)\0*.exe\0";
constexpr const char* kExecutableExtension = "exe";
constexpr const char* kDialogMissing =
    "Cannot show dialog %d: the provider's dialog resources are missing. The request was "
    "cancelled.";
}  // namespace brelmoxscc::msg
