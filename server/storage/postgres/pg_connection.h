// PostgreSQL access through libpq, the only place that includes it: a connection made from a
// postgresql:// URL (libpq's PG* environment variables fill in what the URL leaves out),
// statements prepared once per connection, and parameters and results in binary form.
//
// Every text goes in and out as bytea: names and descriptions are stored byte for byte, as
// the data folder's database stores them, whatever their encoding, and compare by their
// bytes, which the folder range queries rely on.
#pragma once

#include <libpq-fe.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "server/storage/sql.h"
#include "server/storage/storage.h"

namespace server::pg {

// A failed statement, with the SQLSTATE the server reported ("" for a lost connection).
class Error : public StorageError {
  public:
    Error(const std::string& what, std::string sqlState)
        : StorageError(what), sqlState_(std::move(sqlState)) {}
    const std::string& SqlState() const { return sqlState_; }

  private:
    std::string sqlState_;
};

// The rows of one statement.
class Result {
  public:
    explicit Result(PGresult* result) : result_(result, PQclear) {}

    int Rows() const { return PQntuples(result_.get()); }
    bool Empty() const { return Rows() == 0; }
    std::int64_t Int(int row, int column) const;
    std::string Text(int row, int column) const;
    bool IsNull(int row, int column) const { return PQgetisnull(result_.get(), row, column) != 0; }

  private:
    std::unique_ptr<PGresult, decltype(&PQclear)> result_;
};

// Statement parameters in libpq's binary form: integers as int8, texts as bytea.
class Parameters {
  public:
    void Add(std::int64_t value);
    void Add(int value) { Add(static_cast<std::int64_t>(value)); }
    void Add(std::string_view bytes);
    void Add(const std::string& bytes) { Add(std::string_view(bytes)); }
    void Add(const char* bytes) { Add(std::string_view(bytes)); }
    // A NULL in an integer column.
    void AddNull();
    void Add(const sql::Value& value);

    int Count() const { return static_cast<int>(pointers_.size()); }
    const Oid* Types() const { return types_.data(); }
    const char* const* Values() const { return pointers_.data(); }
    const int* Lengths() const { return lengths_.data(); }
    const int* Formats() const { return formats_.data(); }

  private:
    // Integers are copied here; texts are only pointed to and must outlive the call.
    std::vector<std::unique_ptr<char[]>> owned_;
    std::vector<Oid> types_;
    std::vector<const char*> pointers_;
    std::vector<int> lengths_;
    std::vector<int> formats_;
};

class Connection final : public sql::Session {
  public:
    explicit Connection(const std::string& url);
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Runs sql ($1, $2... for the arguments), prepared on first use on this connection.
    template <typename... Args>
    Result Query(const char* sql, const Args&... args) {
        Parameters parameters;
        (parameters.Add(args), ...);
        return Run(sql, parameters);
    }
    Result Run(const char* sql, const Parameters& parameters);
    // Runs sql without preparing it: for statements that cannot be prepared (DECLARE).
    Result RunOnce(const char* sql, const Parameters& parameters);
    // Runs statements without parameters or rows: schema changes, transaction control.
    void Execute(const char* sql);
    // Starts a transaction with sql (a BEGIN). When the database had closed the connection
    // (a restart), found by this first statement, nothing of the transaction ran: the
    // connection is opened again and sql sent once more. A later failure is never retried.
    void Begin(const char* sql);

    // Whether the database has closed this idle connection, as far as can be told without a
    // round trip.
    bool ClosedWhileIdle() const;
    // Connects afresh to the same database; statements are prepared again on first use.
    void Reopen();
    // After a restart of the database every kept connection is closed; the first statement
    // on one would fail its request.
    void ReopenIfClosed() {
        if (ClosedWhileIdle()) Reopen();
    }

    // Usable for another request: connected and outside any transaction.
    bool Idle() const;
    // A statement of the open transaction failed: COMMIT would only roll it back.
    bool TransactionFailed() const;
    // The database as messages name it: never the password.
    std::string Shown() const;

    // Folders compare component by component through a column the table computes (see
    // pg_schema.cpp).
    std::string_view TreeOrder() const override { return "f.tree_key"; }

  protected:
    std::unique_ptr<sql::Rows> Perform(std::string_view sql, std::span<const sql::Value> values,
                                       bool stream) override;

  private:
    // Settings every session of ours runs with.
    void Configure();
    const std::string& PreparedName(const char* sql, const Parameters& parameters);

    std::unique_ptr<PGconn, decltype(&PQfinish)> conn_;
    std::map<std::string, std::string> prepared_;  // SQL text to statement name
    std::uint64_t cursors_ = 0;                    // names the cursors apart
};

}  // namespace server::pg
