// Packs one file into a one-entry zip archive and unpacks the first entry of one. The
// zip container is minizip's; the entry's data is deflated and inflated here through zlib
// (block_deflate, archive_stream), so that large files pack on every core and entries of
// 4 GiB and more unpack. Archives carry one deflated entry with an all-zero file-info
// record; files of 4 GiB and more get zip64 records.
#pragma once

#include <cstddef>
#include <string>

#include "common/block_deflate.h"
#include "common/entry_inflater.h"

namespace brelmox {

class ArchiveBytes;

class MyCompress {
  public:
    virtual ~MyCompress() = default;

    // Writes into archive (empty) a one-entry archive whose entry, named sourcePath as given,
    // holds the bytes of sourcePath. False with errno set when the source cannot be read.
    // progress, when given, follows the packing of the source's bytes.
    bool Compress(const std::string& sourcePath, ArchiveBytes& archive,
                  const PackProgress& progress = {});

    // Replaces any file at archivePath with such an archive; a source that cannot be
    // opened leaves the file as it was.
    bool CompressFile(const std::string& sourcePath, const std::string& archivePath);

    // Writes the first entry of the archive to targetPath (created or truncated once the
    // archive proved readable). False when the archive cannot be read or the entry fails
    // its CRC or size check.
    bool DecompressFile(const std::string& targetPath, const std::string& archivePath);

    using EntrySink = brelmox::EntrySink;

    // Hands the first entry's bytes to sink piece by piece, keeping none of them. False as
    // for DecompressFile, or when sink stops it.
    bool DecompressToSink(const EntrySink& sink, const std::string& archivePath);

    // Puts the first entry's bytes into *contents, which changes only when the entry
    // unpacked whole and passed its CRC check.
    bool DecompressToMemory(std::string* contents, const std::string& archivePath);
};

}  // namespace brelmox
