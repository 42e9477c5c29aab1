// Idle connections kept for the request threads, for every database. A lease returns its
// connection unless it was left unusable (Idle() false: broken, or inside a transaction);
// ReopenIfClosed() runs on a kept connection before it is leased again.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "server/storage/transaction.h"

namespace server {

template <typename Connection>
class IdlePool {
  public:
    // address opens a connection: a file's path, a database's URL.
    explicit IdlePool(std::string address) : address_(std::move(address)) {}

    class Lease {
      public:
        Lease(IdlePool& pool, std::unique_ptr<Connection> db) : pool_(pool), db_(std::move(db)) {}
        ~Lease() { pool_.Return(std::move(db_)); }
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        Connection& operator*() const { return *db_; }
        Connection* operator->() const { return db_.get(); }

      private:
        IdlePool& pool_;
        std::unique_ptr<Connection> db_;
    };

    Lease Acquire() {
        std::unique_ptr<Connection> db;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (idle_.empty()) return Lease(*this, std::make_unique<Connection>(address_));
            db = std::move(idle_.back());
            idle_.pop_back();
        }
        db->ReopenIfClosed();
        return Lease(*this, std::move(db));
    }

  private:
    static constexpr std::size_t kIdleConnectionsKept = 64;

    void Return(std::unique_ptr<Connection> db) {
        if (!db->Idle()) return;
        std::lock_guard<std::mutex> lock(mutex_);
        if (idle_.size() < kIdleConnectionsKept) idle_.push_back(std::move(db));
    }

    std::string address_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<Connection>> idle_;
};

// A read transaction of Tx (a QueryTx of the connection's database) with the connection it
// runs on, both given back when it ends.
template <typename Connection>
class LeaseHolder {
  protected:
    explicit LeaseHolder(IdlePool<Connection>& pool) : lease_(pool.Acquire()) {}
    typename IdlePool<Connection>::Lease lease_;
};

template <typename Connection, typename Tx>
class LeasedReadTx final : private LeaseHolder<Connection>, public Tx {
  public:
    template <typename... Args>
    explicit LeasedReadTx(IdlePool<Connection>& pool, Args&... args)
        : LeaseHolder<Connection>(pool),
          Tx(*this->lease_, args...),
          transaction_(*this->lease_, TxKind::kRead) {}

  private:
    TransactionGuard<Connection> transaction_;
};

}  // namespace server
