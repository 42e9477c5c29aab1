// SQLite access for the server: one connection per request, prepared statements bound
// in one call, and transactions that roll back unless committed.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "server/storage.h"

namespace server {

class Statement {
  public:
    Statement(sqlite3* db, const char* sql);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement& operator=(Statement&&) = delete;

    void Bind(int index, std::int64_t value);
    void Bind(int index, int value) { Bind(index, static_cast<std::int64_t>(value)); }
    void Bind(int index, const std::string& value);
    void Bind(int index, const char* value) { Bind(index, std::string(value)); }

    // True while a row is available.
    bool Step();
    void Run();

    std::int64_t Int(int column) const;
    std::string Text(int column) const;
    bool IsNull(int column) const;

  private:
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

class Database {
  public:
    // Opens an existing database (or creates one when asked) with WAL, foreign keys and a
    // busy timeout, so that concurrent requests wait for each other instead of failing.
    Database(const std::string& path, bool create);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    template <typename... Args>
    Statement Prepare(const char* sql, const Args&... args) {
        Statement statement(db_, sql);
        int index = 0;
        (statement.Bind(++index, args), ...);
        return statement;
    }
    void Execute(const char* sql);
    std::int64_t LastInsertId() const;

  private:
    sqlite3* db_ = nullptr;
};

// BEGIN IMMEDIATE takes the write lock up front: a request that checks and then changes
// (a check-out, a new version) cannot interleave with another one doing the same.
class Transaction {
  public:
    enum class Kind { kRead, kWrite };
    Transaction(Database& db, Kind kind);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void Commit();

  private:
    Database& db_;
    bool open_ = true;
};

// Idle connections kept for the request threads; a lease returns its connection.
class ConnectionPool {
  public:
    explicit ConnectionPool(std::string path) : path_(std::move(path)) {}

    class Lease {
      public:
        Lease(ConnectionPool& pool, std::unique_ptr<Database> db)
            : pool_(pool), db_(std::move(db)) {}
        ~Lease() { pool_.Return(std::move(db_)); }
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        Database& operator*() const { return *db_; }
        Database* operator->() const { return db_.get(); }

      private:
        ConnectionPool& pool_;
        std::unique_ptr<Database> db_;
    };

    Lease Acquire();

  private:
    void Return(std::unique_ptr<Database> db);

    std::string path_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<Database>> idle_;
};

}  // namespace server
