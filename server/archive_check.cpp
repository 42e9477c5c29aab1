#include "server/archive_check.h"

#include <unistd.h>

#include "common/my_compress.h"
#include "server/object_store.h"
#include "server/sha256.h"

namespace server {

std::optional<std::string> HashArchiveContent(const std::string& archivePath,
                                              const std::string& tempFolder) {
    TempFile scratch(tempFolder);
    brelmox::MyCompress zip;
    if (!zip.DecompressToStream(scratch.Fd(), archivePath)) return std::nullopt;
    if (lseek(scratch.Fd(), 0, SEEK_SET) != 0) return std::nullopt;
    return HashDescriptor(scratch.Fd());
}

}  // namespace server
