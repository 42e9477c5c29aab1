// SQLite access for the server: one connection per request, prepared statements bound
// in one call, and transactions that roll back unless committed. Each connection keeps
// the statements it prepared, so a request's SQL is compiled once per connection.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "server/storage/pool.h"
#include "server/storage/sql.h"
#include "server/storage/storage.h"
#include "server/storage/transaction.h"

namespace server {

class Statement {
  public:
    // A statement of the connection's cache (inUse its flag, cleared on destruction) or,
    // with inUse null, one of its own.
    Statement(sqlite3* db, sqlite3_stmt* statement, bool* inUse)
        : db_(db), statement_(statement), inUse_(inUse) {}
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement& operator=(Statement&&) = delete;

    void Bind(int index, std::int64_t value);
    void Bind(int index, int value) { Bind(index, static_cast<std::int64_t>(value)); }
    void Bind(int index, std::string_view value);
    void Bind(int index, const std::string& value) { Bind(index, std::string_view(value)); }
    void Bind(int index, const char* value) { Bind(index, std::string_view(value)); }
    void Bind(int index, sql::Blob value);
    void Bind(int index, sql::Null);

    // True while a row is available.
    bool Step();
    void Run();

    std::int64_t Int(int column) const;
    std::string Text(int column) const;
    bool IsNull(int column) const;

  private:
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
    bool* inUse_ = nullptr;
};

class Database final : public sql::Session {
  public:
    // Opens an existing database (or creates one when asked) with WAL, foreign keys and a
    // busy timeout, so that concurrent requests wait for each other instead of failing.
    explicit Database(const std::string& path, bool create = false);
    ~Database() override;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    template <typename... Args>
    Statement Prepare(const std::string& sql, const Args&... args) {
        Statement statement = Cached(sql);
        int index = 0;
        (statement.Bind(++index, args), ...);
        return statement;
    }
    void Execute(const char* sql);

    // Folders compare component by component: names hold no control characters, so char(1)
    // in place of '/' sorts below every name byte.
    std::string_view TreeOrder() const override { return "replace(f.folder, '/', char(1))"; }

    // Usable for another request: outside any transaction.
    bool Idle() const;
    // A file stays open whatever happens to other connections.
    void ReopenIfClosed() {}

  protected:
    std::unique_ptr<sql::Rows> Perform(std::string_view sql, std::span<const sql::Value> values,
                                       bool stream) override;

  private:
    struct CachedStatement {
        sqlite3_stmt* statement = nullptr;
        bool inUse = false;
    };
    // Looked up by the text as given, without a copy of it.
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>{}(text);
        }
    };
    Statement Cached(std::string_view sql);

    sqlite3* db_ = nullptr;
    // Node-based, so the flags a Statement points at stay where they are.
    std::unordered_map<std::string, CachedStatement, TextHash, std::equal_to<>> cache_;
};

// BEGIN IMMEDIATE takes the write lock up front: a request that checks and then changes
// (a check-out, a new version) cannot interleave with another one doing the same.
void BeginTransaction(Database& db, TxKind kind);
void CommitTransaction(Database& db);
void RollbackTransaction(Database& db);
using Transaction = TransactionGuard<Database>;

using ConnectionPool = IdlePool<Database>;

}  // namespace server
