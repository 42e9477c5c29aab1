#include "server/storage/sqlite/database.h"

#include "server/storage/sqlite/placeholders.h"

namespace server {
namespace {

constexpr int kBusyTimeoutMs = 30000;

[[noreturn]] void Fail(sqlite3* db, const std::string& what) {
    throw StorageError(what + ": " + sqlite3_errmsg(db));
}

sqlite3_stmt* Compile(sqlite3* db, std::string_view written) {
    const std::string sql = NumberedPlaceholders(written);
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &statement, nullptr) !=
        SQLITE_OK) {
        Fail(db, "Cannot prepare '" + sql + "'");
    }
    return statement;
}

// The rows of a statement stepped once when it is run, so that a change is made then
// whether or not its rows are read.
class StatementRows final : public sql::Rows {
  public:
    explicit StatementRows(Statement statement)
        : statement_(std::move(statement)), pending_(statement_.Step()) {}

    bool Next() override {
        if (!started_) {
            started_ = true;
            return pending_;
        }
        return pending_ && (pending_ = statement_.Step());
    }
    std::int64_t Int(int column) const override { return statement_.Int(column); }
    std::string Text(int column) const override { return statement_.Text(column); }
    bool IsNull(int column) const override { return statement_.IsNull(column); }

  private:
    Statement statement_;
    bool pending_;
    bool started_ = false;
};

}  // namespace

Statement::~Statement() {
    if (inUse_ == nullptr) {
        sqlite3_finalize(statement_);
        return;
    }
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
    *inUse_ = false;
}

Statement::Statement(Statement&& other) noexcept
    : db_(other.db_), statement_(other.statement_), inUse_(other.inUse_) {
    other.statement_ = nullptr;
    other.inUse_ = nullptr;
}

void Statement::Bind(int index, std::int64_t value) {
    if (sqlite3_bind_int64(statement_, index, value) != SQLITE_OK) Fail(db_, "Cannot bind");
}

void Statement::Bind(int index, std::string_view value) {
    if (sqlite3_bind_text(statement_, index, value.data(), static_cast<int>(value.size()),
                          SQLITE_TRANSIENT) != SQLITE_OK) {
        Fail(db_, "Cannot bind");
    }
}

void Statement::Bind(int index, sql::Blob value) {
    if (sqlite3_bind_blob64(statement_, index, value.bytes.data(), value.bytes.size(),
                            SQLITE_TRANSIENT) != SQLITE_OK) {
        Fail(db_, "Cannot bind");
    }
}

void Statement::Bind(int index, sql::Null) {
    if (sqlite3_bind_null(statement_, index) != SQLITE_OK) Fail(db_, "Cannot bind");
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
    for (const auto& [sql, cached] : cache_) sqlite3_finalize(cached.statement);
    sqlite3_close(db_);
}

Statement Database::Cached(std::string_view sql) {
    auto entry = cache_.find(sql);
    const bool added = entry == cache_.end();
    if (added) entry = cache_.emplace(std::string(sql), CachedStatement{}).first;
    CachedStatement& cached = entry->second;
    // The same query again while its first use still reads rows: one of its own.
    if (cached.inUse) return Statement(db_, Compile(db_, sql), nullptr);
    if (added) {
        try {
            cached.statement = Compile(db_, sql);
        } catch (...) {
            cache_.erase(entry);
            throw;
        }
    }
    cached.inUse = true;
    return Statement(db_, cached.statement, &cached.inUse);
}

void Database::Execute(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string reason = message != nullptr ? message : sqlite3_errmsg(db_);
        sqlite3_free(message);
        throw StorageError(std::string("'") + sql + "' failed: " + reason);
    }
}

bool Database::Idle() const {
    return sqlite3_get_autocommit(db_) != 0;
}

std::unique_ptr<sql::Rows> Database::Perform(std::string_view sql,
                                             std::span<const sql::Value> values, bool) {
    // A stepped statement hands its rows over one at a time already.
    Statement statement = Cached(sql);
    int index = 0;
    for (const sql::Value& value : values)
        std::visit([&](const auto& bound) { statement.Bind(++index, bound); }, value);
    return std::make_unique<StatementRows>(std::move(statement));
}

void BeginTransaction(Database& db, TxKind kind) {
    db.Prepare(kind == TxKind::kRead ? "BEGIN" : "BEGIN IMMEDIATE").Run();
}

void CommitTransaction(Database& db) {
    db.Prepare("COMMIT").Run();
}

void RollbackTransaction(Database& db) {
    db.Prepare("ROLLBACK").Run();
}

}  // namespace server
