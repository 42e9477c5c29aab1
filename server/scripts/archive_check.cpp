#include "server/scripts/archive_check.h"

#include "common/my_compress.h"
#include "server/sha256.h"

namespace server {

ArchiveCheck CheckArchive(const std::string& archivePath, std::uint64_t unpackedLimit) {
    Sha256 digest;
    std::uint64_t unpacked = 0;
    ArchiveCheck check;
    brelmox::MyCompress zip;
    const bool whole = zip.DecompressToSink(
        [&](const char* data, std::size_t size) {
            unpacked += size;
            if (unpacked > unpackedLimit) {
                check.result = ArchiveCheck::Result::kTooLarge;
                return false;
            }
            digest.Update(data, size);
            return true;
        },
        archivePath);
    if (whole) {
        check.result = ArchiveCheck::Result::kGood;
        check.contentHash = digest.HexDigest();
    }
    return check;
}

}  // namespace server
