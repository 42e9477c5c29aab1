// The one owner of minizip's archive writing. Its 64-bit calls are used so that files of
// 4 GiB and more fit; zip64 records are added only where a size needs them, so ordinary
// archives stay plain.
#include "common/my_compress.h"

#include <minizip/zip.h>

#include <array>
#include <cerrno>
#include <cstdint>

#include "common/archive_stream.h"
#include "common/block_deflate.h"
#include "common/zip_bytes.h"
#include "platform/file_system.h"

namespace brelmox {

namespace {

constexpr std::size_t kReadPiece = 65536;
constexpr std::uint64_t kZip64Size = 0xffffffffu;

// Deflate may grow data that does not compress by a few bytes per block; a size this close
// to the 32-bit limit gets zip64 records before the packed size is known.
bool NeedsZip64(std::uint64_t size) {
    return size + size / 256 + 65536 >= kZip64Size;
}

// The entry is written raw: its data is already deflated, with its CRC and size at hand.
bool WriteOnlyEntry(zipFile archive, const std::string& entryName, int sourceFd,
                    std::uint64_t sourceSize, const PackProgress& progress) {
    const zip_fileinfo zeroInfo{};
    if (zipOpenNewFileInZip3_64(archive, entryName.c_str(), &zeroInfo, nullptr, 0, nullptr, 0,
                                nullptr, Z_DEFLATED, Z_DEFAULT_COMPRESSION, 1, -MAX_WBITS,
                                DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0,
                                NeedsZip64(sourceSize) ? 1 : 0) != ZIP_OK) {
        return false;
    }
    DeflatedContent content;
    const bool deflated = DeflateFrom(
        sourceFd, Z_DEFAULT_COMPRESSION,
        [archive](const char* data, std::size_t size) {
            return zipWriteInFileInZip(archive, data, static_cast<unsigned>(size)) == ZIP_OK;
        },
        &content, progress);
    return zipCloseFileInZipRaw64(archive, content.size, content.crc) == ZIP_OK && deflated;
}

// Feeds the archive behind fd to stream up to the end of its entry's data.
bool StreamArchive(int fd, ArchiveStream& stream) {
    std::array<char, kReadPiece> buffer{};
    while (!stream.EntryEnded()) {
        const long long got = platform::ReadSome(fd, buffer.data(), buffer.size());
        if (got <= 0 || !stream.Take(buffer.data(), static_cast<std::size_t>(got))) return false;
    }
    return true;
}

// Unpacks the archive at archivePath into the sink that start gives, once the archive
// proved readable; start returns nullptr when it cannot take the content.
bool Unpack(const std::string& archivePath, const std::function<EntrySink()>& start) {
    const platform::UniqueFd fd = platform::OpenForReading(archivePath);
    if (!fd.valid()) return false;
    DescriptorBytes archive(fd.get());
    // A cut or foreign file is refused before any of its content reaches a target.
    FirstEntryRecord record;
    if (!ReadFirstEntryRecord(archive, &record)) return false;
    const EntrySink sink = start();
    if (!sink) return false;
    ArchiveStream stream(sink);
    stream.ExpectSize(record.size);
    return StreamArchive(fd.get(), stream) && stream.Finish(&archive);
}

}  // namespace

bool MyCompress::Compress(const std::string& sourcePath, ArchiveBytes& archiveBytes,
                          const PackProgress& progress) {
    const platform::UniqueFd source = platform::OpenForReading(sourcePath);
    std::uint64_t size = 0;
    if (!source.valid() || !platform::SizeOfOpenFile(source.get(), &size)) return false;
    zlib_filefunc64_def functions;
    SetFileFunctions(archiveBytes, &functions);
    zipFile archive = zipOpen2_64("", APPEND_STATUS_CREATE, nullptr, &functions);
    if (archive == nullptr) return false;
    errno = 0;
    const bool written = WriteOnlyEntry(archive, sourcePath, source.get(), size, progress);
    const int error = errno;
    const bool closed = zipClose(archive, nullptr) == ZIP_OK;
    errno = error;
    return closed && written;
}

bool MyCompress::CompressFile(const std::string& sourcePath, const std::string& archivePath) {
    if (!platform::IsReadable(sourcePath)) return false;
    platform::UniqueFd archive = platform::CreateForWriting(archivePath, true);
    if (!archive.valid()) return false;
    DescriptorBytes bytes(archive.get());
    return Compress(sourcePath, bytes) && archive.Close();
}

bool MyCompress::DecompressFile(const std::string& targetPath, const std::string& archivePath) {
    platform::UniqueFd target;
    const bool unpacked = Unpack(archivePath, [&]() -> EntrySink {
        target = platform::CreateForWriting(targetPath);
        if (!target.valid()) return nullptr;
        return [fd = target.get()](const char* data, std::size_t size) {
            return platform::WriteAll(fd, data, size);
        };
    });
    return target.valid() && target.Close() && unpacked;
}

bool MyCompress::DecompressToSink(const EntrySink& sink, const std::string& archivePath) {
    return Unpack(archivePath, [&] { return sink; });
}

bool MyCompress::DecompressToMemory(std::string* contents, const std::string& archivePath) {
    std::string unpacked;
    const bool whole = DecompressToSink(
        [&](const char* data, std::size_t size) {
            unpacked.append(data, size);
            return true;
        },
        archivePath);
    if (whole) *contents = std::move(unpacked);
    return whole;
}

}  // namespace brelmox
