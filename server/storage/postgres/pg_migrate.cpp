#include "server/storage/postgres/pg_migrate.h"

#include "server/storage/postgres/pg_content_store.h"
#include "server/storage/postgres/pg_schema.h"
#include "server/storage/sqlite/data_folder.h"
#include "server/storage/sqlite/database.h"

namespace server::pg {
namespace {

// A table's columns as both databases name them; kinds: i integer, n integer or NULL, t text.
struct TableCopy {
    const char* table;
    const char* columns;
    const char* kinds;
    bool hasId;
};

// In the order the references between them need.
constexpr TableCopy kBeforeContents[] = {
    {"organizations", "id, name", "it", true},
    {"users", "id, organization_id, name, password_hash, notice, disabled", "iittti", true},
    {"projects", "id, organization_id, name, description", "iitt", true},
    {"files", "id, project_id, folder, name, removed_at, removed_by", "iittnn", true},
};
constexpr TableCopy kAfterContents[] = {
    {"versions",
     "id, file_id, number, object, size, content_hash, user_id, created_at, description",
     "iiititiit", true},
    {"checkouts", "file_id, user_id, checked_out_at", "iii", false},
    {"labels", "id, project_id, name, description, user_id, created_at", "iittii", true},
    {"label_versions", "label_id, version_id", "ii", false},
};

std::int64_t CopyTable(server::Database& from, Connection& to, const TableCopy& copy) {
    const std::string select = std::string("SELECT ") + copy.columns + " FROM " + copy.table;
    std::string insert =
        std::string("INSERT INTO ") + copy.table + " (" + copy.columns + ") VALUES (";
    const std::string kinds = copy.kinds;
    for (std::size_t i = 0; i < kinds.size(); ++i)
        insert += (i > 0 ? ", $" : "$") + std::to_string(i + 1);
    insert += ")";
    Statement rows = from.Prepare(select.c_str());
    std::int64_t count = 0;
    while (rows.Step()) {
        Parameters parameters;
        std::vector<std::string> texts(kinds.size());  // outlive the statement's parameters
        for (std::size_t i = 0; i < kinds.size(); ++i) {
            const int column = static_cast<int>(i);
            if (kinds[i] == 't') {
                texts[i] = rows.Text(column);
                parameters.Add(texts[i]);
            } else if (kinds[i] == 'n' && rows.IsNull(column)) {
                parameters.AddNull();
            } else {
                parameters.Add(rows.Int(column));
            }
        }
        to.Run(insert.c_str(), parameters);
        ++count;
    }
    if (copy.hasId) {
        // New rows must not reuse the copied ids.
        const std::string sql = std::string("SELECT setval(pg_get_serial_sequence('") + copy.table +
                                "', 'id'), COALESCE(MAX(id), 0) + 1, false) FROM " + copy.table;
        to.Query(sql.c_str());
    }
    return count;
}

// Archives are read through the folder's own storage: small ones live in its database, the
// others in its object folder.
std::int64_t CopyContents(server::Database& from, Storage& folder, Connection& to) {
    Statement stored = from.Prepare("SELECT DISTINCT object, size FROM versions");
    std::int64_t count = 0;
    while (stored.Step()) {
        const std::string address = stored.Text(0);
        const std::unique_ptr<ContentSource> source = folder.OpenContent(address, stored.Int(1));
        const std::string digest = source ? StoreContent(to, address, *source) : "";
        std::int64_t size = 0;
        if (digest != address || !FindContent(to, address, size) || size != stored.Int(1)) {
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
    server::Database from(folder.DatabasePath(), false);
    server::Transaction reading(from, server::Transaction::Kind::kRead);

    Connection to(url);
    to.Execute("BEGIN");
    CreateSchema(to);
    std::string counts;
    for (const TableCopy& copy : kBeforeContents)
        counts += std::to_string(CopyTable(from, to, copy)) + " " + copy.table + ", ";
    counts += std::to_string(CopyContents(from, *storage, to)) + " archives checked, ";
    for (const TableCopy& copy : kAfterContents)
        counts += std::to_string(CopyTable(from, to, copy)) + " " + copy.table + ", ";
    to.Execute("COMMIT");
    counts.resize(counts.size() - 2);
    return "Migrated the data folder '" + folder.Root() + "' into the database '" + to.Shown() +
           "': " + counts + ".";
}

}  // namespace server::pg
