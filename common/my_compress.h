// Packs one file into a one-entry zip archive and unpacks the first entry of one.
// The only user of minizip. Archives carry one deflated entry with an all-zero
// file-info record; files of 4 GiB and more get zip64 records.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace brelmox {

class MyCompress {
  public:
    virtual ~MyCompress() = default;

    // Replaces any file at archivePath with an archive whose only entry, named
    // sourcePath as given, holds the bytes of sourcePath.
    bool CompressFile(const std::string& sourcePath, const std::string& archivePath);

    // Writes the first entry of the archive to targetPath (created or truncated).
    // False when the archive cannot be read or the entry fails its CRC check.
    bool DecompressFile(const std::string& targetPath, const std::string& archivePath);

    // Takes each unpacked piece; false stops the unpacking as failed.
    using EntrySink = std::function<bool(const char* data, std::size_t size)>;

    // Hands the first entry's bytes to sink piece by piece, keeping none of them. False as
    // for DecompressFile, or when sink stops it.
    bool DecompressToSink(const EntrySink& sink, const std::string& archivePath);

    // Puts the first entry's bytes into *contents, which changes only when the entry
    // unpacked whole and passed its CRC check.
    bool DecompressToMemory(std::string* contents, const std::string& archivePath);
};

}  // namespace brelmox
