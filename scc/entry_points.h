// The names of every entry point of the interface: an IDE looks up each one and refuses a
// provider that lacks any.
#pragma once

namespace brelmoxscc {

inline constexpr const char* kEntryPoints[] = {
    "SccAdd",
    "SccAddFilesFromSCC",
    "SccAddFromScc",
    "SccBackgroundGet",
    "SccBeginBatch",
    "SccCheckin",
    "SccCheckout",
    "SccCloseProject",
    "SccCreateSubProject",
    "SccDiff",
    "SccDirDiff",
    "SccDirQueryInfo",
    "SccEndBatch",
    "SccEnumChangedFiles",
    "SccGet",
    "SccGetCommandOptions",
    "SccGetEvents",
    "SccGetExtendedCapabilities",
    "SccGetParentProjectPath",
    "SccGetProjPath",
    "SccGetUserOption",
    "SccGetVersion",
    "SccHistory",
    "SccInitialize",
    "SccIsMultiCheckoutEnabled",
    "SccOpenProject",
    "SccPopulateDirList",
    "SccPopulateList",
    "SccProperties",
    "SccQueryChanges",
    "SccQueryInfo",
    "SccQueryInfoEx",
    "SccRemove",
    "SccRemoveDir",
    "SccRename",
    "SccRunScc",
    "SccSetOption",
    "SccUncheckout",
    "SccUninitialize",
    "SccWillCreateSccFile",
};

}  // namespace brelmoxscc
