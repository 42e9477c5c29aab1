// Transactions and the connection pool of the PostgreSQL storage.
//
// Writers take one row lock, on the schema's version row, before they read anything: the
// scripts check and then change (a check-out, a new version), and with every writer queued
// on that lock they run one after another across all servers, as they do on the data
// folder's database under its write lock. That needs no retry loop and never fails a request
// for a conflict; readers take no lock and see one consistent snapshot. Contents are stored
// without that lock (pg_content_store.h): an address names the same bytes whoever stores
// them, so no check depends on who stored them first.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "server/postgres/pg_connection.h"

namespace server::pg {

class Transaction {
  public:
    enum class Kind { kRead, kWrite, kContents };
    Transaction(Connection& db, Kind kind);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void Commit();

  private:
    Connection& db_;
    bool open_ = true;
};

// Idle connections kept for the request threads; a lease returns its connection unless it
// broke or was left inside a transaction. One the database closed meanwhile is opened again
// before it is leased.
class Pool {
  public:
    explicit Pool(std::string url) : url_(std::move(url)) {}

    class Lease {
      public:
        Lease(Pool& pool, std::unique_ptr<Connection> db) : pool_(pool), db_(std::move(db)) {}
        ~Lease() { pool_.Return(std::move(db_)); }
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        Connection& operator*() const { return *db_; }
        Connection* operator->() const { return db_.get(); }

      private:
        Pool& pool_;
        std::unique_ptr<Connection> db_;
    };

    Lease Acquire();

  private:
    void Return(std::unique_ptr<Connection> db);

    std::string url_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<Connection>> idle_;
};

}  // namespace server::pg
