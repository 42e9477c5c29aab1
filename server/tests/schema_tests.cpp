// The schema version of a data folder: read on opening, older ones brought up to date in
// one transaction, newer ones left alone.
#include <gtest/gtest.h>

#include "pg_test_database.h"
#include "server/admin/admin.h"
#include "server/storage/sqlite/data_folder.h"
#include "server/storage/sqlite/database.h"
#include "test_support/temp_dir.h"

namespace servertest {
namespace {

class SchemaTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (TestingPostgres())
            GTEST_SKIP() << "the data folder's schema (pg_layer_tests test the database's)";
        folder_.Initialise();
        const std::unique_ptr<server::Storage> storage =
            server::OpenStorage(server::StorageOptions{folder_.Root(), ""});
        server::AddOrganization(*storage, "acme");
    }

    std::string Ask(const char* sql) {
        server::Database db(folder_.DatabasePath(), false);
        server::Statement query = db.Prepare(sql);
        return query.Step() ? query.Text(0) : "no row";
    }
    void Run(const char* sql) {
        server::Database db(folder_.DatabasePath(), false);
        db.Execute(sql);
    }
    // The first schema's folder: no index of live files, no table of contents, no disabled
    // users yet.
    void MakeFirstSchema() {
        Run("DROP INDEX files_live; DROP TABLE contents; ALTER TABLE users DROP COLUMN disabled; "
            "PRAGMA user_version = 1;");
    }

    testsupport::TempDir dir_;
    server::DataFolder folder_{dir_.Path("data")};
};

constexpr const char* kLiveIndex =
    "SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND name = 'files_live'";

TEST_F(SchemaTest, TheFirstSchemaIsBroughtUpToDateKeepingItsData) {
    MakeFirstSchema();
    folder_.RequireInitialised();
    EXPECT_EQ(Ask("PRAGMA user_version"), "4");
    EXPECT_EQ(Ask(kLiveIndex), "1");
    EXPECT_EQ(Ask("SELECT COUNT(*) FROM pragma_table_info('users') WHERE name = 'disabled'"), "1");
    EXPECT_EQ(Ask("SELECT name FROM organizations"), "acme");
}

TEST_F(SchemaTest, AMigrationThatFailsChangesNothing) {
    MakeFirstSchema();
    Run("CREATE TABLE files_live (x)");  // the name the migration needs is taken
    EXPECT_THROW(folder_.RequireInitialised(), server::StorageError);
    EXPECT_EQ(Ask("PRAGMA user_version"), "1");
    EXPECT_EQ(Ask(kLiveIndex), "0");
}

TEST_F(SchemaTest, ANewerSchemaIsRefusedAndLeftAlone) {
    Run("PRAGMA user_version = 7");
    try {
        folder_.RequireInitialised();
        ADD_FAILURE() << "a newer schema was accepted";
    } catch (const server::StorageError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Data folder '" + folder_.Root() +
                      "' has schema version 7, newer than this brelmox-server knows (4): it was "
                      "written by a newer brelmox-server, which must serve it.");
    }
    EXPECT_EQ(Ask("PRAGMA user_version"), "7");
}

}  // namespace
}  // namespace servertest
