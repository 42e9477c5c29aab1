#include "test_support/forged_archive.h"

namespace testsupport {

namespace {

constexpr std::size_t kLocalSizeAt = 22;
constexpr std::size_t kCentralSizeAt = 24;

void PutLittleEndian(std::string* bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) (*bytes)[at + i] = static_cast<char>(value >> (8 * i) & 0xff);
}

}  // namespace

std::string DeclaringSize(std::string archive, std::uint32_t declaredSize) {
    PutLittleEndian(&archive, kLocalSizeAt, declaredSize);
    PutLittleEndian(&archive, archive.rfind("PK\x01\x02") + kCentralSizeAt, declaredSize);
    return archive;
}

}  // namespace testsupport
