#include "server/storage/sqlite/sqlite_storage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "server/storage/file_content.h"
#include "server/storage/serving_folder.h"
#include "server/storage/sqlite/sqlite_tx.h"

namespace server {
namespace {

class HeldContent final : public ContentSource {
  public:
    explicit HeldContent(std::string bytes) : bytes_(std::move(bytes)) {}
    std::size_t Read(char* buffer, std::size_t capacity) override {
        const std::size_t count = bytes_.copy(buffer, capacity, offset_);
        offset_ += count;
        return count;
    }

  private:
    std::string bytes_;
    std::size_t offset_ = 0;
};

}  // namespace

SqliteStorage::SqliteStorage(DataFolder folder)
    : folder_(std::move(folder)), pool_(folder_.DatabasePath()), objects_(folder_.ObjectsPath()) {}

std::unique_ptr<ReadTx> SqliteStorage::BeginRead() {
    return std::make_unique<LeasedReadTx<Database, SqliteTx>>(pool_, objects_);
}

void SqliteStorage::RunWrite(const WriteWork& work) {
    ConnectionPool::Lease db = pool_.Acquire();
    Transaction transaction(*db, TxKind::kWrite);
    SqliteTx tx(*db, objects_);
    work(tx);
    transaction.Commit();
    tx.KeepContents();
}

std::unique_ptr<ContentSource> SqliteStorage::OpenContent(const std::string& address,
                                                          std::int64_t size) {
    // Folders written before archives were kept in the database have small ones as files.
    if (size <= kInlineContentLimit) {
        std::optional<std::string> bytes = InlineContent(*pool_.Acquire(), address);
        if (bytes && static_cast<std::int64_t>(bytes->size()) == size)
            return std::make_unique<HeldContent>(std::move(*bytes));
    }
    platform::UniqueFd fd(open(objects_.PathOf(address).c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info;
    if (!fd.valid() || fstat(fd.get(), &info) != 0 || info.st_size != size) return nullptr;
    return std::make_unique<FileContent>(std::move(fd));
}

void SqliteStorage::PrepareToServe() {
    serveLock_ = ClaimServingFolder(folder_.Root());
}

}  // namespace server
