// Puts a downloaded file in place without ever leaving a half-written target: the content
// is written beside the target and takes the target's name only once it is whole and
// checked.
#pragma once

#include <string>

#include "client/context.h"
#include "platform/file_system.h"

namespace brelmox {

class PartialFile {
  public:
    explicit PartialFile(std::string targetPath);
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;

    // 0, or -1001 after a file error's message.
    int Create(const COstrelContext& context);
    int Fd() const { return file_.Fd(); }

    // Gives the file the target's name (and the permissions of the file it replaces):
    // 0, or -1001 after a file error's message.
    int Commit(const COstrelContext& context);

  private:
    std::string targetPath_;
    platform::ReplacementFile file_;
};

// Whether a downloaded file could be put into folder ('/'-separated, ending in '/', or empty
// for the current folder), which is made when missing: 0, or -1001 after the message a
// download into it would give. Nothing is left in it.
int CheckFolderTakesFiles(const std::string& folder, const COstrelContext& context);

}  // namespace brelmox
