#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "server/storage/sqlite/sqlite_tx.h"

namespace server {
namespace {

// The whole of a small upload, read from its start.
std::string ReadSmallUpload(const TempFile& upload, std::size_t size) {
    std::string bytes(size, '\0');
    std::size_t filled = 0;
    while (filled < size) {
        const ssize_t got =
            pread(upload.Fd(), bytes.data() + filled, size - filled, static_cast<off_t>(filled));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            throw StorageError("Cannot read '" + upload.Path() +
                               "': " + (got == 0 ? "it ended early" : std::strerror(errno)));
        }
        filled += static_cast<std::size_t>(got);
    }
    return bytes;
}

}  // namespace

std::optional<std::string> InlineContent(Database& db, const std::string& address) {
    Statement query = db.Prepare("SELECT bytes FROM contents WHERE address = ?", address);
    if (!query.Step()) return std::nullopt;
    return query.Text(0);
}

void SqliteTx::StoreContent(const std::string& address, TempFile& upload) {
    const std::int64_t size = upload.Size();
    if (size > kInlineContentLimit) {
        placements_.push_back(objects_.Place(upload, address));
        return;
    }
    const std::string bytes = ReadSmallUpload(upload, static_cast<std::size_t>(size));
    db_.Prepare("INSERT OR IGNORE INTO contents (address, bytes) VALUES (?, ?)", address,
                sql::Blob{bytes})
        .Run();
}

void SqliteTx::KeepContents() {
    for (Placement& placement : placements_) placement.Keep();
}

}  // namespace server
