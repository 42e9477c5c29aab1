#include "server/storage/migrate.h"

#include <vector>

#include "server/storage/postgres/pg_content_store.h"
#include "server/storage/postgres/pg_schema.h"
#include "server/storage/sqlite/data_folder.h"
#include "server/storage/sqlite/database.h"

namespace server {
namespace {

// In the order the references between them need; the archives go in between.
constexpr const char* kBeforeContents[] = {"organizations", "users", "projects", "files"};
constexpr const char* kAfterContents[] = {"versions", "checkouts", "labels", "label_versions"};

struct Column {
    std::string name;
    bool integer = false;
};

// The table's columns as the data folder's schema declares them.
std::vector<Column> ColumnsOf(Database& from, const std::string& table) {
    const std::unique_ptr<sql::Rows> rows =
        from.Fetch("SELECT name, type FROM pragma_table_info($1)", table);
    std::vector<Column> columns;
    while (rows->Next()) columns.push_back(Column{rows->Text(0), rows->Text(1) == "INTEGER"});
    if (columns.empty()) throw StorageError("The data folder has no table '" + table + "'.");
    return columns;
}

std::int64_t CopyTable(Database& from, sql::Session& to, const std::string& table) {
    const std::vector<Column> columns = ColumnsOf(from, table);
    std::string names;
    std::string placeholders;
    bool hasId = false;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        names += (i > 0 ? ", " : "") + columns[i].name;
        placeholders += (i > 0 ? ", $" : "$") + std::to_string(i + 1);
        hasId = hasId || columns[i].name == "id";
    }
    const std::unique_ptr<sql::Rows> rows = from.Fetch("SELECT " + names + " FROM " + table);
    const std::string insert =
        "INSERT INTO " + table + " (" + names + ") VALUES (" + placeholders + ")";
    std::int64_t count = 0;
    std::vector<std::string> texts(columns.size());  // what the values point to
    std::vector<sql::Value> values(columns.size());
    while (rows->Next()) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const int column = static_cast<int>(i);
            if (!columns[i].integer) {
                texts[i] = rows->Text(column);
                values[i] = std::string_view(texts[i]);
            } else if (rows->IsNull(column)) {
                values[i] = sql::Null{};
            } else {
                values[i] = rows->Int(column);
            }
        }
        to.FetchList(insert, values);
        ++count;
    }
    if (hasId) {
        // New rows must not reuse the copied ids.
        to.Fetch("SELECT setval(pg_get_serial_sequence('" + table +
                 "', 'id'), COALESCE(MAX(id), 0) + 1, false) FROM " + table);
    }
    return count;
}

// Archives are read through the folder's own storage: small ones live in its database, the
// others in its object folder.
std::int64_t CopyContents(Database& from, Storage& folder, pg::Connection& to) {
    Statement stored = from.Prepare("SELECT DISTINCT object, size FROM versions");
    std::int64_t count = 0;
    while (stored.Step()) {
        const std::string address = stored.Text(0);
        const std::unique_ptr<ContentSource> source = folder.OpenContent(address, stored.Int(1));
        const std::string digest = source ? pg::StoreContent(to, address, *source) : "";
        std::int64_t size = 0;
        if (digest != address || !pg::FindContent(to, address, size) || size != stored.Int(1)) {
            throw StorageError("The stored archive '" + address +
                               "' is missing or does not hold what its name and its versions "
                               "say; nothing was migrated.");
        }
        ++count;
    }
    return count;
}

}  // namespace

std::string MigrateDataFolder(const std::string& folderPath, const std::string& url) {
    const DataFolder folder(folderPath);
    const std::unique_ptr<Storage> storage = OpenStorage(StorageOptions{folderPath, ""});
    Database from(folder.DatabasePath());
    Transaction reading(from, TxKind::kRead);

    pg::Connection to(url);
    to.Execute("BEGIN");
    pg::CreateSchema(to);
    std::string counts;
    for (const char* table : kBeforeContents)
        counts += std::to_string(CopyTable(from, to, table)) + " " + table + ", ";
    counts += std::to_string(CopyContents(from, *storage, to)) + " archives checked, ";
    for (const char* table : kAfterContents)
        counts += std::to_string(CopyTable(from, to, table)) + " " + table + ", ";
    to.Execute("COMMIT");
    counts.resize(counts.size() - 2);
    return "Migrated the data folder '" + folder.Root() + "' into the database '" + to.Shown() +
           "': " + counts + ".";
}

}  // namespace server
