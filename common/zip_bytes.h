// Where an archive's bytes live while minizip writes them or its records are read: in memory,
// behind an open descriptor (written through it, never reopened), or, for an archive that
// streamed past, only its head and tail. minizip reaches them through SetFileFunctions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct zlib_filefunc64_def_s;

namespace brelmox {

class ArchiveBytes {
  public:
    virtual ~ArchiveBytes() = default;
    // The count copied (short only at the end), or -1 on error.
    virtual long long ReadAt(std::uint64_t offset, void* buffer, std::size_t size) = 0;
    virtual bool WriteAt(std::uint64_t offset, const void* data, std::size_t size) = 0;
    virtual std::uint64_t Size() const = 0;
};

// Fills in the functions through which zipOpen2_64 uses bytes; the path it is given is
// ignored.
void SetFileFunctions(ArchiveBytes& bytes, zlib_filefunc64_def_s* functions);

class MemoryBytes : public ArchiveBytes {
  public:
    long long ReadAt(std::uint64_t offset, void* buffer, std::size_t size) override;
    bool WriteAt(std::uint64_t offset, const void* data, std::size_t size) override;
    std::uint64_t Size() const override { return bytes_.size(); }
    std::string& Bytes() { return bytes_; }

  private:
    std::string bytes_;
};

class DescriptorBytes : public ArchiveBytes {
  public:
    explicit DescriptorBytes(int fd) : fd_(fd) {}
    long long ReadAt(std::uint64_t offset, void* buffer, std::size_t size) override;
    bool WriteAt(std::uint64_t offset, const void* data, std::size_t size) override;
    std::uint64_t Size() const override;

  private:
    int fd_;
};

// An archive of which only the first head.size() bytes and the tail starting at tailStart
// were kept; the bytes between read as zeros, which no zip record begins with.
class HeadAndTailBytes : public ArchiveBytes {
  public:
    HeadAndTailBytes(const std::string& head, std::uint64_t tailStart, const std::string& tail)
        : head_(head), tailStart_(tailStart), tail_(tail) {}
    long long ReadAt(std::uint64_t offset, void* buffer, std::size_t size) override;
    bool WriteAt(std::uint64_t, const void*, std::size_t) override { return false; }
    std::uint64_t Size() const override { return tailStart_ + tail_.size(); }

  private:
    const std::string& head_;
    std::uint64_t tailStart_;
    const std::string& tail_;
};

}  // namespace brelmox
