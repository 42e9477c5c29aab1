// Proves that an uploaded archive unpacks, and tells what content it carries.
#pragma once

#include <cstdint>
#include <string>

namespace server {

struct ArchiveCheck {
    enum class Result { kGood, kDamaged, kTooLarge };
    Result result = Result::kDamaged;
    std::string contentHash;  // the SHA-256 of the entry's bytes when good
};

// Unpacks the archive's entry through the CRC check and SHA-256 without writing it
// anywhere: damaged when it is not a zip archive or fails the check, too large as soon as
// it unpacks to more than unpackedLimit bytes.
ArchiveCheck CheckArchive(const std::string& archivePath, std::uint64_t unpackedLimit);

}  // namespace server
