#include "common/zip_bytes.h"

#include <minizip/ioapi.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/file_system.h"

namespace brelmox {

namespace {

// minizip's handle on the bytes: one per open, with its own position.
struct Cursor {
    ArchiveBytes* bytes;
    std::uint64_t position = 0;
    bool failed = false;
};

voidpf OpenCursor(voidpf opaque, const void*, int) {
    return new Cursor{static_cast<ArchiveBytes*>(opaque)};
}

uLong ReadCursor(voidpf, voidpf stream, void* buffer, uLong size) {
    auto* cursor = static_cast<Cursor*>(stream);
    const long long got = cursor->bytes->ReadAt(cursor->position, buffer, size);
    if (got < 0) {
        cursor->failed = true;
        return 0;
    }
    cursor->position += static_cast<std::uint64_t>(got);
    return static_cast<uLong>(got);
}

uLong WriteCursor(voidpf, voidpf stream, const void* data, uLong size) {
    auto* cursor = static_cast<Cursor*>(stream);
    if (!cursor->bytes->WriteAt(cursor->position, data, size)) {
        cursor->failed = true;
        return 0;
    }
    cursor->position += size;
    return size;
}

ZPOS64_T TellCursor(voidpf, voidpf stream) {
    return static_cast<Cursor*>(stream)->position;
}

long SeekCursor(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    auto* cursor = static_cast<Cursor*>(stream);
    switch (origin) {
        case ZLIB_FILEFUNC_SEEK_SET:
            cursor->position = offset;
            break;
        case ZLIB_FILEFUNC_SEEK_CUR:
            cursor->position += offset;
            break;
        case ZLIB_FILEFUNC_SEEK_END:
            cursor->position = cursor->bytes->Size() + offset;
            break;
        default:
            return -1;
    }
    return 0;
}

int CloseCursor(voidpf, voidpf stream) {
    const bool failed = static_cast<Cursor*>(stream)->failed;
    delete static_cast<Cursor*>(stream);
    return failed ? -1 : 0;
}

int CursorError(voidpf, voidpf stream) {
    return static_cast<Cursor*>(stream)->failed ? 1 : 0;
}

// Copies the part of [from, from + piece.size()) that overlaps the read of size bytes at
// offset.
void CopyOverlap(const std::string& piece, std::uint64_t from, std::uint64_t offset,
                 std::size_t size, char* buffer) {
    const std::uint64_t start = std::max(offset, from);
    const std::uint64_t end = std::min(offset + size, from + piece.size());
    if (start < end)
        std::memcpy(buffer + (start - offset), piece.data() + (start - from), end - start);
}

}  // namespace

void SetFileFunctions(ArchiveBytes& bytes, zlib_filefunc64_def_s* functions) {
    *functions = zlib_filefunc64_def{};
    functions->zopen64_file = OpenCursor;
    functions->zread_file = ReadCursor;
    functions->zwrite_file = WriteCursor;
    functions->ztell64_file = TellCursor;
    functions->zseek64_file = SeekCursor;
    functions->zclose_file = CloseCursor;
    functions->zerror_file = CursorError;
    functions->opaque = &bytes;
}

long long MemoryBytes::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) {
    if (offset >= bytes_.size()) return 0;
    const std::size_t count = std::min<std::uint64_t>(size, bytes_.size() - offset);
    std::memcpy(buffer, bytes_.data() + offset, count);
    return static_cast<long long>(count);
}

bool MemoryBytes::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
    if (offset + size > bytes_.size()) bytes_.resize(offset + size);
    std::memcpy(bytes_.data() + offset, data, size);
    return true;
}

long long DescriptorBytes::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) {
    return platform::ReadAt(fd_, buffer, size, offset);
}

bool DescriptorBytes::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
    return platform::WriteAllAt(fd_, data, size, offset);
}

std::uint64_t DescriptorBytes::Size() const {
    std::uint64_t size = 0;
    return platform::SizeOfOpenFile(fd_, &size) ? size : 0;
}

long long HeadAndTailBytes::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) {
    if (offset >= Size()) return 0;
    size = std::min<std::uint64_t>(size, Size() - offset);
    char* into = static_cast<char*>(buffer);
    std::memset(into, 0, size);
    CopyOverlap(head_, 0, offset, size, into);
    CopyOverlap(tail_, tailStart_, offset, size, into);
    return static_cast<long long>(size);
}

}  // namespace brelmox
