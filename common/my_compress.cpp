// The one owner of minizip. Its 64-bit calls are used so that files of 4 GiB and more fit;
// zip64 records are added only where a size needs them, so ordinary archives stay plain.
#include "common/my_compress.h"

#include <fcntl.h>
#include <minizip/unzip.h>
#include <minizip/zip.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <functional>

#include "platform/file_system.h"

namespace brelmox {

namespace {

constexpr std::size_t kCopyBufferSize = 16384;
constexpr std::uint64_t kZip64Size = 0xffffffffu;

using CopyBuffer = std::array<char, kCopyBufferSize>;
using EntrySink = MyCompress::EntrySink;

EntrySink WriteTo(int fd) {
    return [fd](const char* data, std::size_t size) { return platform::WriteAll(fd, data, size); };
}

ssize_t ReadSome(int fd, void* buffer, std::size_t size) {
    ssize_t got;
    do {
        got = read(fd, buffer, size);
    } while (got < 0 && errno == EINTR);
    return got;
}

bool CopyIntoEntry(int sourceFd, zipFile archive) {
    CopyBuffer buffer{};
    for (;;) {
        const ssize_t got = ReadSome(sourceFd, buffer.data(), buffer.size());
        if (got == 0) return true;
        if (got < 0) return false;
        if (zipWriteInFileInZip(archive, buffer.data(), static_cast<unsigned>(got)) != ZIP_OK) {
            return false;
        }
    }
}

bool WriteOnlyEntry(zipFile archive, const std::string& entryName, int sourceFd,
                    std::uint64_t sourceSize) {
    const zip_fileinfo zeroInfo{};
    const int zip64 = sourceSize >= kZip64Size ? 1 : 0;
    if (zipOpenNewFileInZip64(archive, entryName.c_str(), &zeroInfo, nullptr, 0, nullptr, 0,
                              nullptr, Z_DEFLATED, Z_DEFAULT_COMPRESSION, zip64) != ZIP_OK) {
        return false;
    }
    const bool copied = CopyIntoEntry(sourceFd, archive);
    return zipCloseFileInZip(archive) == ZIP_OK && copied;
}

// The first entry of an archive, open for reading; entry and archive are closed on every path.
class FirstEntry {
  public:
    explicit FirstEntry(const std::string& archivePath) : archive_(unzOpen64(archivePath.c_str())) {
        entryOpen_ = archive_ != nullptr && unzGoToFirstFile(archive_) == UNZ_OK &&
                     unzGetCurrentFileInfo64(archive_, &info_, nullptr, 0, nullptr, 0, nullptr,
                                             0) == UNZ_OK &&
                     unzOpenCurrentFile(archive_) == UNZ_OK;
    }
    ~FirstEntry() {
        if (entryOpen_) unzCloseCurrentFile(archive_);
        if (archive_ != nullptr) unzClose(archive_);
    }
    FirstEntry(const FirstEntry&) = delete;
    FirstEntry& operator=(const FirstEntry&) = delete;

    bool IsOpen() const { return entryOpen_; }

    // False on a read or write error, or when the data fails the entry's CRC check.
    bool CopyTo(const EntrySink& sink) {
        CopyBuffer buffer{};
        std::uint64_t copied = 0;
        int got;
        while ((got = unzReadCurrentFile(archive_, buffer.data(), buffer.size())) > 0) {
            if (!sink(buffer.data(), static_cast<std::size_t>(got))) return false;
            copied += static_cast<std::uint64_t>(got);
        }
        entryOpen_ = false;
        const bool closed = unzCloseCurrentFile(archive_) == UNZ_OK;
        // minizip checks the CRC only when the recorded size was reached, so data that
        // ends early would otherwise pass unchecked.
        return got == 0 && closed && copied == info_.uncompressed_size;
    }

  private:
    unzFile archive_;
    unz_file_info64 info_{};
    bool entryOpen_ = false;
};

}  // namespace

bool MyCompress::CompressFile(const std::string& sourcePath, const std::string& archivePath) {
    // The source's size decides on zip64 before the entry is opened; a source that cannot
    // be opened leaves any file at archivePath as it was.
    platform::UniqueFd source(open(sourcePath.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info;
    if (!source.valid() || fstat(source.get(), &info) != 0) return false;
    zipFile archive = zipOpen64(archivePath.c_str(), APPEND_STATUS_CREATE);
    if (archive == nullptr) return false;
    const bool written =
        WriteOnlyEntry(archive, sourcePath, source.get(), static_cast<std::uint64_t>(info.st_size));
    return zipClose(archive, nullptr) == ZIP_OK && written;
}

bool MyCompress::DecompressFile(const std::string& targetPath, const std::string& archivePath) {
    FirstEntry entry(archivePath);
    // The target is touched only once the archive has proved readable.
    if (!entry.IsOpen()) return false;
    platform::UniqueFd target(
        open(targetPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!target.valid()) return false;
    const bool copied = entry.CopyTo(WriteTo(target.get()));
    return target.Close() && copied;
}

bool MyCompress::DecompressToSink(const EntrySink& sink, const std::string& archivePath) {
    FirstEntry entry(archivePath);
    return entry.IsOpen() && entry.CopyTo(sink);
}

bool MyCompress::DecompressToMemory(std::string* contents, const std::string& archivePath) {
    FirstEntry entry(archivePath);
    std::string unpacked;
    const bool copied = entry.IsOpen() && entry.CopyTo([&](const char* data, std::size_t size) {
        unpacked.append(data, size);
        return true;
    });
    if (copied) *contents = std::move(unpacked);
    return copied;
}

}  // namespace brelmox
