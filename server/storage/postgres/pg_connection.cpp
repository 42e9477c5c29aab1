#include "server/storage/postgres/pg_connection.h"

#include <endian.h>
#include <poll.h>

#include <cstring>

namespace server::pg {
namespace {

constexpr Oid kInt8Oid = 20;
constexpr Oid kByteaOid = 17;
constexpr int kBinary = 1;
constexpr int kRowsPerFetch = 256;

std::string Trimmed(const char* message) {
    std::string text = message != nullptr ? message : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

// Throws unless the result is a success; the message names what failed.
Result Checked(PGconn* conn, PGresult* raw, const std::string& what) {
    Result result(raw);
    const ExecStatusType status = raw != nullptr ? PQresultStatus(raw) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return result;
    const char* state = raw != nullptr ? PQresultErrorField(raw, PG_DIAG_SQLSTATE) : nullptr;
    const char* message = raw != nullptr ? PQresultErrorMessage(raw) : PQerrorMessage(conn);
    throw Error(what + ": " + Trimmed(message), state != nullptr ? state : "");
}

// The rows of one result.
class ResultRows final : public sql::Rows {
  public:
    explicit ResultRows(Result result) : result_(std::move(result)) {}
    bool Next() override { return ++row_ < result_.Rows(); }
    std::int64_t Int(int column) const override { return result_.Int(row_, column); }
    std::string Text(int column) const override { return result_.Text(row_, column); }
    bool IsNull(int column) const override { return result_.IsNull(row_, column); }

  private:
    Result result_;
    int row_ = -1;
};

// A server-side cursor fetched a batch at a time, so a large folder is never one result.
class CursorRows final : public sql::Rows {
  public:
    CursorRows(Connection& db, const std::string& name)
        : db_(db), fetch_("FETCH " + std::to_string(kRowsPerFetch) + " FROM " + name) {}
    bool Next() override {
        if (!batch_ || (row_ + 1 == batch_->Rows() && batch_->Rows() == kRowsPerFetch)) {
            batch_ = std::make_unique<Result>(db_.RunOnce(fetch_.c_str(), Parameters()));
            row_ = -1;
        }
        return ++row_ < batch_->Rows();
    }
    std::int64_t Int(int column) const override { return batch_->Int(row_, column); }
    std::string Text(int column) const override { return batch_->Text(row_, column); }
    bool IsNull(int column) const override { return batch_->IsNull(row_, column); }

  private:
    Connection& db_;
    std::string fetch_;
    std::unique_ptr<Result> batch_;
    int row_ = -1;
};

}  // namespace

std::int64_t Result::Int(int row, int column) const {
    const char* value = PQgetvalue(result_.get(), row, column);
    switch (PQgetlength(result_.get(), row, column)) {
        case 8: {
            std::uint64_t big = 0;
            std::memcpy(&big, value, sizeof big);
            return static_cast<std::int64_t>(be64toh(big));
        }
        case 4: {
            std::uint32_t big = 0;
            std::memcpy(&big, value, sizeof big);
            return static_cast<std::int32_t>(be32toh(big));
        }
        default:
            return 0;  // NULL, which callers test with IsNull where it matters
    }
}

std::string Result::Text(int row, int column) const {
    return std::string(PQgetvalue(result_.get(), row, column),
                       static_cast<std::size_t>(PQgetlength(result_.get(), row, column)));
}

void Parameters::Add(std::int64_t value) {
    const std::uint64_t big = htobe64(static_cast<std::uint64_t>(value));
    owned_.push_back(std::make_unique<char[]>(sizeof big));
    std::memcpy(owned_.back().get(), &big, sizeof big);
    types_.push_back(kInt8Oid);
    pointers_.push_back(owned_.back().get());
    lengths_.push_back(sizeof big);
    formats_.push_back(kBinary);
}

void Parameters::Add(std::string_view bytes) {
    types_.push_back(kByteaOid);
    // libpq reads a binary value by its length; an empty one still needs a pointer.
    pointers_.push_back(bytes.data() != nullptr ? bytes.data() : "");
    lengths_.push_back(static_cast<int>(bytes.size()));
    formats_.push_back(kBinary);
}

void Parameters::Add(const sql::Value& value) {
    if (const auto* number = std::get_if<std::int64_t>(&value)) {
        Add(*number);
    } else if (const auto* text = std::get_if<std::string_view>(&value)) {
        Add(*text);
    } else if (const auto* blob = std::get_if<sql::Blob>(&value)) {
        Add(blob->bytes);  // texts are bytes already
    } else {
        AddNull();
    }
}

void Parameters::AddNull() {
    types_.push_back(kInt8Oid);
    pointers_.push_back(nullptr);
    lengths_.push_back(0);
    formats_.push_back(kBinary);
}

Connection::Connection(const std::string& url) : conn_(PQconnectdb(url.c_str()), PQfinish) {
    if (!conn_) throw Error("Cannot connect to PostgreSQL: out of memory", "");
    if (PQstatus(conn_.get()) != CONNECTION_OK) {
        throw Error(
            "Cannot connect to the PostgreSQL database: " + Trimmed(PQerrorMessage(conn_.get())),
            "");
    }
    Configure();
}

void Connection::Configure() {
    // Each commit reaches the disk before the client hears of it, whatever the server's
    // default; notices (an existing table skipped) are not for the request log.
    Execute("SET synchronous_commit = on; SET client_min_messages = warning");
}

Result Connection::Run(const char* sql, const Parameters& parameters) {
    const std::string& name = PreparedName(sql, parameters);
    return Checked(
        conn_.get(),
        PQexecPrepared(conn_.get(), name.c_str(), parameters.Count(), parameters.Values(),
                       parameters.Lengths(), parameters.Formats(), kBinary),
        "Database statement failed");
}

Result Connection::RunOnce(const char* sql, const Parameters& parameters) {
    return Checked(
        conn_.get(),
        PQexecParams(conn_.get(), sql, parameters.Count(), parameters.Types(), parameters.Values(),
                     parameters.Lengths(), parameters.Formats(), kBinary),
        "Database statement failed");
}

std::unique_ptr<sql::Rows> Connection::Perform(std::string_view sql,
                                               std::span<const sql::Value> values, bool stream) {
    Parameters parameters;
    for (const sql::Value& value : values) parameters.Add(value);
    if (!stream) return std::make_unique<ResultRows>(Run(std::string(sql).c_str(), parameters));
    const std::string name = "rows_" + std::to_string(++cursors_);
    const std::string declare =
        "DECLARE " + name + " BINARY NO SCROLL CURSOR FOR " + std::string(sql);
    RunOnce(declare.c_str(), parameters);
    return std::make_unique<CursorRows>(*this, name);
}

void Connection::Execute(const char* sql) {
    Checked(conn_.get(), PQexec(conn_.get(), sql), std::string("'") + sql + "' failed");
}

void Connection::Begin(const char* sql) {
    try {
        Execute(sql);
    } catch (const Error&) {
        if (PQstatus(conn_.get()) != CONNECTION_BAD) throw;
        Reopen();
        Execute(sql);
    }
}

bool Connection::ClosedWhileIdle() const {
    if (PQstatus(conn_.get()) != CONNECTION_OK) return true;
    // Nothing is sent to an idle connection unasked (we listen for no notifications): what
    // can be read is the database's farewell, an error before it closes, or the close.
    pollfd ready{PQsocket(conn_.get()), POLLIN, 0};
    return poll(&ready, 1, 0) != 0;
}

void Connection::Reopen() {
    prepared_.clear();
    PQreset(conn_.get());
    if (PQstatus(conn_.get()) != CONNECTION_OK) {
        throw Error(
            "Cannot reconnect to the PostgreSQL database: " + Trimmed(PQerrorMessage(conn_.get())),
            "");
    }
    Configure();
}

bool Connection::Idle() const {
    return PQstatus(conn_.get()) == CONNECTION_OK &&
           PQtransactionStatus(conn_.get()) == PQTRANS_IDLE;
}

bool Connection::TransactionFailed() const {
    return PQtransactionStatus(conn_.get()) != PQTRANS_INTRANS;
}

std::string Connection::Shown() const {
    return std::string("postgresql://") + PQuser(conn_.get()) + "@" + PQhost(conn_.get()) + ":" +
           PQport(conn_.get()) + "/" + PQdb(conn_.get());
}

const std::string& Connection::PreparedName(const char* sql, const Parameters& parameters) {
    const auto found = prepared_.find(sql);
    if (found != prepared_.end()) return found->second;
    const std::string name = "s" + std::to_string(prepared_.size() + 1);
    Checked(conn_.get(),
            PQprepare(conn_.get(), name.c_str(), sql, parameters.Count(), parameters.Types()),
            std::string("Cannot prepare '") + sql + "'");
    return prepared_.emplace(sql, name).first->second;
}

}  // namespace server::pg
