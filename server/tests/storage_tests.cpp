// The storage interface, on the storage this run of the suite tests: contents live and
// die with their transaction, and a view path selects the same files in the same order
// however they are found.
#include <gtest/gtest.h>

#include <algorithm>

#include "server/scripts/file_selection.h"
#include "server/storage/storage.h"
#include "server/tests/pg_test_database.h"
#include "test_support/temp_dir.h"

namespace servertest {
namespace {

class StorageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        options_.dataFolder = dir_.Path("data");
        if (TestingPostgres()) {
            pg_ = std::make_unique<PgTestDatabase>();
            if (!pg_->Available()) GTEST_SKIP() << kNoPgMessage;
            options_.databaseUrl = pg_->Url();
        }
        server::CreateStorage(options_);
        storage_ = server::OpenStorage(options_);
        storage_->PrepareToServe();  // uploads are received where a serving process keeps them
    }

    std::string Stored(const std::string& address, std::int64_t size) {
        std::unique_ptr<server::ContentSource> content = storage_->OpenContent(address, size);
        if (!content) return "(none)";
        std::string bytes;
        char buffer[4096];
        while (const std::size_t got = content->Read(buffer, sizeof buffer))
            bytes.append(buffer, got);
        return bytes;
    }

    void Store(const std::string& address, const std::string& bytes, bool commit) {
        server::TempFile upload = storage_->NewUpload();
        upload.Write(bytes.data(), bytes.size());
        try {
            storage_->RunWrite([&](server::WriteTx& tx) {
                tx.StoreContent(address, upload);
                if (!commit) throw std::runtime_error("refused");
            });
        } catch (const std::runtime_error&) {
        }
    }

    testsupport::TempDir dir_;
    std::unique_ptr<PgTestDatabase> pg_;
    server::StorageOptions options_;
    std::unique_ptr<server::Storage> storage_;
};

TEST_F(StorageTest, ContentsAreKeptOnlyWhenTheirTransactionCommits) {
    // Below and above the size kept in the database itself.
    for (const std::string& bytes : {std::string("small archive"), std::string(100000, 'x')}) {
        const std::string address(64, bytes.size() < 100 ? 'a' : 'b');
        const auto size = static_cast<std::int64_t>(bytes.size());
        Store(address, bytes, false);
        EXPECT_EQ(Stored(address, size), "(none)") << "a rolled-back store left content";
        Store(address, bytes, true);
        EXPECT_EQ(Stored(address, size), bytes);
        EXPECT_EQ(Stored(address, size + 1), "(none)") << "a size that differs is no content";
        Store(address, "other bytes", true);
        EXPECT_EQ(Stored(address, size), bytes) << "a stored address keeps its bytes";
    }
}

TEST_F(StorageTest, ViewPathsSelectLiveFilesInTreeOrder) {
    std::int64_t project = 0;
    storage_->RunWrite([&](server::WriteTx& tx) {
        tx.InsertOrganization("acme");
        tx.InsertProject(*tx.FindOrganization("acme"), "web", "");
        project = *tx.FindProject(*tx.FindOrganization("acme"), "web");
        for (const auto& [folder, name] :
             std::vector<std::pair<std::string, std::string>>{{"Src", "b.c"},
                                                              {"Src/sub", "a.c"},
                                                              {"Src", "a.c"},
                                                              {"Src-x", "a.c"},
                                                              {"Src/sub/deep", "a.c"},
                                                              {"", "a.c"},
                                                              {"Src", "gone.c"},
                                                              {"Src", "sub.h"}}) {
            tx.InsertFile(project, folder, name);
        }
        tx.InsertUser(*tx.FindOrganization("acme"), "alice", "hash");
        tx.MarkRemoved(tx.FindFile(project, "Src", "gone.c")->id,
                       tx.FindUser(*tx.FindOrganization("acme"), "alice")->id, 1);
    });
    const std::pair<const char*, bool> selections[] = {
        {"Src/a.c", false}, {"Src", false},        {"Src", true},     {"a.c", true},
        {"Src/*.c", true},  {"Src/gone.c", false}, {"Src/sub", true}, {"", true},
    };
    const char* const expected[] = {
        "Src/a.c",
        "Src/a.c Src/b.c Src/sub.h",
        "Src/a.c Src/b.c Src/sub.h Src/sub/a.c Src/sub/deep/a.c",
        "/a.c Src/a.c Src/sub/a.c Src/sub/deep/a.c Src-x/a.c",
        "Src/a.c Src/b.c Src/sub/a.c Src/sub/deep/a.c",
        "",
        "Src/sub/a.c Src/sub/deep/a.c",
        "",
    };
    storage_->RunRead([&](server::ReadTx& tx) {
        for (std::size_t i = 0; i < std::size(selections); ++i) {
            const auto& [viewPath, recurse] = selections[i];
            const std::string want = expected[i];
            const std::size_t wanted =
                want.empty() ? 0 : std::count(want.begin(), want.end(), ' ') + 1;
            std::string shown;
            std::unique_ptr<server::FileCursor> files =
                server::SelectFiles(tx, project, viewPath, recurse);
            for (server::FileState file; files->Next(file);) {
                shown += (shown.empty() ? "" : " ") + file.folder + "/" + file.name;
                // The same query while the first one still reads rows.
                EXPECT_EQ(
                    server::AllOf(*server::SelectFiles(tx, project, viewPath, recurse)).size(),
                    wanted)
                    << viewPath;
            }
            EXPECT_EQ(shown, expected[i]) << viewPath << (recurse ? " recursive" : "");
        }
    });
}

}  // namespace
}  // namespace servertest
