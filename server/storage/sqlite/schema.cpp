#include "server/storage/sqlite/schema.h"

#include "server/storage/schema.h"

namespace server {
namespace {

// SQLite keeps the version in user_version, 0 in a database without our tables.
class SqliteSchema final : public SchemaStore {
  public:
    SqliteSchema(Database& db, std::string folder) : db_(db), folder_(std::move(folder)) {}

    std::string Shown() const override { return "Data folder '" + folder_ + "'"; }
    const SchemaWords& Words() const override {
        static const SchemaWords words = {
            {"version_table", ""},
            {"id", "INTEGER PRIMARY KEY"},
            {"integer", "INTEGER"},
            {"text", "TEXT"},
            {"empty", "''"},
            {"file_columns", ""},
            {"content_tables", ""},
            {"object_reference", ""},
            {"contents_step",
             "CREATE TABLE contents (address TEXT PRIMARY KEY, bytes BLOB NOT NULL) WITHOUT "
             "ROWID;"},
        };
        return words;
    }
    std::optional<std::int64_t> StoredVersion() override {
        Statement query = db_.Prepare("PRAGMA user_version");
        query.Step();
        return query.Int(0);
    }
    void Execute(const std::string& statements) override { db_.Execute(statements.c_str()); }
    void RecordVersion(std::int64_t version) override {
        db_.Execute(("PRAGMA user_version = " + std::to_string(version)).c_str());
    }

  private:
    Database& db_;
    std::string folder_;
};

}  // namespace

void CreateSchema(Database& db) {
    Transaction transaction(db, TxKind::kWrite);
    SqliteSchema schema(db, "");
    CreateSchemaIn(schema);
    transaction.Commit();
}

void UpgradeSchema(Database& db, const std::string& folder) {
    Transaction transaction(db, TxKind::kWrite);
    SqliteSchema schema(db, folder);
    if (UpgradeSchemaIn(schema, "")) transaction.Commit();
}

}  // namespace server
