#include "server/admin/backup.h"

#include <minizip/unzip.h>
#include <minizip/zip.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <optional>
#include <thread>
#include <vector>

#include "platform/file_system.h"
#include "server/sha256.h"
#include "server/storage/sqlite/database.h"
#include "server/storage/sqlite/object_store.h"
#include "server/storage/sqlite/schema.h"
#include "server/storage/temp_file.h"

namespace server {
namespace {

constexpr const char* kDatabaseEntry = "brelmox.db";
constexpr const char* kObjectsEntry = "objects/";
constexpr std::size_t kCopyBuffer = 1 << 20;
constexpr std::size_t kAddressLength = 64;
constexpr std::chrono::milliseconds kBusyRetry{50};

// The archives a database's versions name that live as files rather than in the database.
constexpr const char* kArchiveFiles =
    "SELECT DISTINCT object FROM versions WHERE object NOT IN (SELECT address FROM contents) "
    "ORDER BY object";

std::string FolderOf(const std::string& file) {
    const std::string parent = std::filesystem::path(file).parent_path().string();
    return parent.empty() ? "." : parent;
}

// Copies the whole database in one step, so in one read transaction: writers go on (WAL)
// and the copy is the state of one moment.
void SnapshotDatabase(const std::string& from, const std::string& to) {
    sqlite3* source = nullptr;
    sqlite3* target = nullptr;
    const auto close = [&] {
        sqlite3_close(source);
        sqlite3_close(target);
    };
    if (sqlite3_open_v2(from.c_str(), &source, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
        sqlite3_open_v2(to.c_str(), &target, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        close();
        throw StorageError("Cannot open '" + from + "' and '" + to + "' for the backup.");
    }
    sqlite3_backup* backup = sqlite3_backup_init(target, "main", source, "main");
    int result = SQLITE_NOMEM;
    if (backup != nullptr) {
        do {
            result = sqlite3_backup_step(backup, -1);
            if (result == SQLITE_BUSY || result == SQLITE_LOCKED)
                std::this_thread::sleep_for(kBusyRetry);
        } while (result == SQLITE_BUSY || result == SQLITE_LOCKED);
        sqlite3_backup_finish(backup);
    }
    const std::string reason = sqlite3_errmsg(target);
    close();
    if (result != SQLITE_DONE) throw StorageError("The backup of '" + from + "' failed: " + reason);
}

std::vector<std::string> ArchiveFiles(const std::string& databasePath) {
    Database db(databasePath, false);
    Statement query = db.Prepare(kArchiveFiles);
    std::vector<std::string> addresses;
    while (query.Step()) addresses.push_back(query.Text(0));
    return addresses;
}

// Entries carry the time of the backup, so that unzip shows when it was taken.
zip_fileinfo EntryInfo() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    zip_fileinfo info{};
    info.tmz_date.tm_sec = static_cast<uInt>(local.tm_sec);
    info.tmz_date.tm_min = static_cast<uInt>(local.tm_min);
    info.tmz_date.tm_hour = static_cast<uInt>(local.tm_hour);
    info.tmz_date.tm_mday = static_cast<uInt>(local.tm_mday);
    info.tmz_date.tm_mon = static_cast<uInt>(local.tm_mon);
    info.tmz_date.tm_year = static_cast<uInt>(local.tm_year + 1900);
    return info;
}

class ZipWriter {
  public:
    explicit ZipWriter(const std::string& path) : path_(path), zip_(zipOpen64(path.c_str(), 0)) {
        if (zip_ == nullptr) throw StorageError("Cannot write '" + path + "'.");
    }
    ~ZipWriter() {
        if (zip_ != nullptr) zipClose(zip_, nullptr);
    }
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    // Archives are compressed already: they go in stored; the database is deflated.
    void Add(const std::string& name, const std::string& path, bool deflate) {
        const platform::UniqueFd in = platform::OpenForReading(path);
        if (!in.valid()) throw StorageError("Cannot read '" + path + "'.");
        const zip_fileinfo info = EntryInfo();
        if (zipOpenNewFileInZip64(zip_, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                  deflate ? Z_DEFLATED : 0, deflate ? Z_BEST_SPEED : 0,
                                  1) != ZIP_OK) {
            Fail();
        }
        std::vector<char> buffer(kCopyBuffer);
        long long count = 0;
        while ((count = platform::ReadSome(in.get(), buffer.data(), buffer.size())) > 0) {
            if (zipWriteInFileInZip(zip_, buffer.data(), static_cast<unsigned>(count)) != ZIP_OK)
                Fail();
        }
        if (count < 0) throw StorageError("Cannot read '" + path + "'.");
        if (zipCloseFileInZip(zip_) != ZIP_OK) Fail();
    }

    void Finish() {
        const int result = zipClose(zip_, nullptr);
        zip_ = nullptr;
        if (result != ZIP_OK) Fail();
    }

  private:
    [[noreturn]] void Fail() const { throw StorageError("Cannot write '" + path_ + "'."); }

    std::string path_;
    zipFile zip_;
};

class ZipReader {
  public:
    explicit ZipReader(const std::string& path) : path_(path), zip_(unzOpen64(path.c_str())) {
        if (zip_ == nullptr) throw StorageError("'" + path + "' is not a zip archive.");
    }
    ~ZipReader() { unzClose(zip_); }
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    // Moves to the first entry, then to each next; false after the last.
    bool Next() {
        const int result = started_ ? unzGoToNextFile(zip_) : unzGoToFirstFile(zip_);
        started_ = true;
        if (result == UNZ_END_OF_LIST_OF_FILE) return false;
        if (result != UNZ_OK) Damaged();
        return true;
    }

    std::string Name() {
        std::vector<char> name(4096);
        if (unzGetCurrentFileInfo64(zip_, nullptr, name.data(), name.size() - 1, nullptr, 0,
                                    nullptr, 0) != UNZ_OK) {
            Damaged();
        }
        return name.data();
    }

    // Writes the entry into the file and returns its SHA-256; a failed CRC check fails.
    std::string CopyTo(TempFile& file) {
        if (unzOpenCurrentFile(zip_) != UNZ_OK) Damaged();
        Sha256 digest;
        std::vector<char> buffer(kCopyBuffer);
        int count = 0;
        while ((count = unzReadCurrentFile(zip_, buffer.data(),
                                           static_cast<unsigned>(buffer.size()))) > 0) {
            file.Write(buffer.data(), static_cast<std::size_t>(count));
            digest.Update(buffer.data(), static_cast<std::size_t>(count));
        }
        if (unzCloseCurrentFile(zip_) != UNZ_OK || count < 0) Damaged();
        return digest.HexDigest();
    }

  private:
    [[noreturn]] void Damaged() const {
        throw StorageError("The backup '" + path_ + "' is damaged.");
    }

    std::string path_;
    unzFile zip_;
    bool started_ = false;
};

std::string EntryOf(const std::string& address) {
    return kObjectsEntry + address.substr(0, 2) + "/" + address.substr(2);
}

// "objects/ab/cdef...": the address it names, or "" for any other name.
std::string AddressOf(const std::string& entry) {
    const std::size_t prefix = std::strlen(kObjectsEntry);
    if (entry.size() != prefix + kAddressLength + 1) return "";
    const std::string address = entry.substr(prefix, 2) + entry.substr(prefix + 3);
    const bool hex = address.find_first_not_of("0123456789abcdef") == std::string::npos;
    return hex && entry == EntryOf(address) ? address : "";
}

// "objects/", "objects/ab/" or "tmp/".
bool FolderEntry(const std::string& entry) {
    const std::size_t prefix = std::strlen(kObjectsEntry);
    return entry == "tmp/" || entry == kObjectsEntry ||
           (entry.size() == prefix + 3 && entry.rfind(kObjectsEntry, 0) == 0 &&
            entry.back() == '/');
}

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

}  // namespace

std::int64_t BackUpDataFolder(const DataFolder& folder, const std::string& file) {
    folder.RequireInitialised();
    const std::string where = FolderOf(file);
    TempFile snapshot(where);
    SnapshotDatabase(folder.DatabasePath(), snapshot.Path());
    const std::vector<std::string> archives = ArchiveFiles(snapshot.Path());
    // Stored archives never change once placed and none is ever deleted, so each file a
    // version of the snapshot names holds what it held at the snapshot.
    const ObjectStore objects(folder.ObjectsPath());
    TempFile part(where);
    ZipWriter zip(part.Path());
    zip.Add(kDatabaseEntry, snapshot.Path(), true);
    for (const std::string& address : archives) {
        const std::string path = objects.PathOf(address);
        if (!Exists(path)) {
            throw StorageError("The stored archive '" + path +
                               "' is missing from the data folder; no backup was written.");
        }
        zip.Add(EntryOf(address), path, false);
    }
    zip.Finish();
    part.SyncAndClose();
    if (std::rename(part.Path().c_str(), file.c_str()) != 0)
        throw StorageError("Cannot write the backup '" + file + "'.");
    part.Release();
    return static_cast<std::int64_t>(archives.size());
}

std::int64_t RestoreDataFolder(const std::string& file, const DataFolder& folder) {
    if (!Exists(file)) throw StorageError("There is no backup '" + file + "'.");
    folder.CreateFolders();
    const ObjectStore objects(folder.ObjectsPath());
    ZipReader zip(file);
    std::optional<TempFile> database;
    std::int64_t restored = 0;
    while (zip.Next()) {
        const std::string name = zip.Name();
        const std::string address = AddressOf(name);
        if (FolderEntry(name)) {
            continue;  // a zip made by hand of a data folder lists its folders too
        } else if (name == kDatabaseEntry && !database) {
            database.emplace(folder.Root());
            zip.CopyTo(*database);
        } else if (!address.empty()) {
            TempFile archive(folder.TempPath());
            if (zip.CopyTo(archive) != address) {
                throw StorageError("The archive '" + name + "' of the backup '" + file +
                                   "' does not hold what its name says.");
            }
            objects.Place(archive, address).Keep();
            ++restored;
        } else {
            throw StorageError("'" + file + "' is not a backup of a data folder (it holds '" +
                               name + "').");
        }
    }
    if (!database) throw StorageError("'" + file + "' is not a backup of a data folder.");
    database->SyncAndClose();
    {
        Database db(database->Path(), false);
        UpgradeSchema(db, folder.Root());
    }
    for (const std::string& address : ArchiveFiles(database->Path())) {
        if (!Exists(objects.PathOf(address))) {
            throw StorageError("The backup '" + file + "' lacks the stored archive '" + address +
                               "'.");
        }
    }
    if (std::rename(database->Path().c_str(), folder.DatabasePath().c_str()) != 0)
        throw StorageError("Cannot create '" + folder.DatabasePath() + "'.");
    database->Release();
    return restored;
}

}  // namespace server
