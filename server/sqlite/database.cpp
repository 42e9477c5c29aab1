#include "server/sqlite/database.h"

namespace server {
namespace {

constexpr int kBusyTimeoutMs = 30000;
constexpr std::size_t kIdleConnectionsKept = 64;

[[noreturn]] void Fail(sqlite3* db, const std::string& what) {
    throw StorageError(what + ": " + sqlite3_errmsg(db));
}

}  // namespace

Statement::Statement(sqlite3* db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db_, sql, -1, &statement_, nullptr) != SQLITE_OK) {
        Fail(db_, std::string("Cannot prepare '") + sql + "'");
    }
}

Statement::~Statement() {
    sqlite3_finalize(statement_);
}

Statement::Statement(Statement&& other) noexcept : db_(other.db_), statement_(other.statement_) {
    other.statement_ = nullptr;
}

void Statement::Bind(int index, std::int64_t value) {
    if (sqlite3_bind_int64(statement_, index, value) != SQLITE_OK) Fail(db_, "Cannot bind");
}

void Statement::Bind(int index, const std::string& value) {
    if (sqlite3_bind_text(statement_, index, value.data(), static_cast<int>(value.size()),
                          SQLITE_TRANSIENT) != SQLITE_OK) {
        Fail(db_, "Cannot bind");
    }
}

bool Statement::Step() {
    const int result = sqlite3_step(statement_);
    if (result == SQLITE_ROW) return true;
    if (result == SQLITE_DONE) return false;
    Fail(db_, "Database statement failed");
}

void Statement::Run() {
    while (Step()) {
    }
}

std::int64_t Statement::Int(int column) const {
    return sqlite3_column_int64(statement_, column);
}

std::string Statement::Text(int column) const {
    const auto* text = static_cast<const char*>(sqlite3_column_blob(statement_, column));
    const int size = sqlite3_column_bytes(statement_, column);
    return text == nullptr ? std::string() : std::string(text, static_cast<std::size_t>(size));
}

bool Statement::IsNull(int column) const {
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

Database::Database(const std::string& path, bool create) {
    const int flags =
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        const std::string reason = db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        throw StorageError("Cannot open database '" + path + "': " + reason);
    }
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    Execute("PRAGMA journal_mode=WAL");
    // FULL makes every commit durable before the client hears of it.
    Execute("PRAGMA synchronous=FULL");
    Execute("PRAGMA foreign_keys=ON");
}

Database::~Database() {
    sqlite3_close(db_);
}

void Database::Execute(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string reason = message != nullptr ? message : sqlite3_errmsg(db_);
        sqlite3_free(message);
        throw StorageError(std::string("'") + sql + "' failed: " + reason);
    }
}

std::int64_t Database::LastInsertId() const {
    return sqlite3_last_insert_rowid(db_);
}

Transaction::Transaction(Database& db, Kind kind) : db_(db) {
    db_.Execute(kind == Kind::kWrite ? "BEGIN IMMEDIATE" : "BEGIN");
}

Transaction::~Transaction() {
    if (!open_) return;
    try {
        db_.Execute("ROLLBACK");
    } catch (const StorageError&) {
        // SQLite may have rolled back already after an I/O error; nothing is left to undo.
    }
}

void Transaction::Commit() {
    db_.Execute("COMMIT");
    open_ = false;
}

ConnectionPool::Lease ConnectionPool::Acquire() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!idle_.empty()) {
            std::unique_ptr<Database> db = std::move(idle_.back());
            idle_.pop_back();
            return Lease(*this, std::move(db));
        }
    }
    return Lease(*this, std::make_unique<Database>(path_, false));
}

void ConnectionPool::Return(std::unique_ptr<Database> db) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (idle_.size() < kIdleConnectionsKept) idle_.push_back(std::move(db));
}

}  // namespace server
