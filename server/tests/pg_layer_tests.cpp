// The PostgreSQL layer on its own: byte-faithful values, the versioned schema, the chunked
// content store and transactions, against the test cluster.
#include <gtest/gtest.h>

#include <future>
#include <string>

#include "pg_test_database.h"
#include "server/sha256.h"
#include "server/storage/postgres/pg_content_store.h"
#include "server/storage/postgres/pg_schema.h"
#include "server/storage/postgres/pg_transaction.h"
#include "test_support/temp_dir.h"

namespace servertest {
namespace {

namespace pg = server::pg;

class PgLayerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!TestingPostgres()) GTEST_SKIP() << "runs with the PostgreSQL run of the suite";
        if (!database_.Available()) GTEST_SKIP() << kNoPgMessage;
        db_ = std::make_unique<pg::Connection>(database_.Url());
        db_->Execute("BEGIN");
        pg::CreateSchema(*db_);
        db_->Execute("COMMIT");
    }

    std::int64_t Count(const char* sql) { return db_->Query(sql).Int(0, 0); }

    // Bytes of every value 0..255, repeated to the size asked.
    static std::string Bytes(std::size_t size) {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 % 256);
        return bytes;
    }

    std::string ReadBack(const std::string& address) {
        std::int64_t size = -1;
        EXPECT_TRUE(pg::FindContent(*db_, address, size)) << address;
        pg::ContentReader reader(address, size);
        std::string all, chunk;
        while (reader.Next(*db_, chunk)) {
            EXPECT_LE(chunk.size(), static_cast<std::size_t>(pg::kChunkSize));
            all += chunk;
        }
        return all;
    }

    PgTestDatabase database_;
    testsupport::TempDir dir_;
    std::unique_ptr<pg::Connection> db_;
};

TEST_F(PgLayerTest, TextsAndIntegersRoundTripByteForByte) {
    for (const std::string& text :
         {std::string(), std::string("a\0b", 3), std::string("eve\nx \x9b\xff"), Bytes(3000)}) {
        EXPECT_EQ(db_->Query("SELECT $1::bytea", text).Text(0, 0), text);
    }
    for (std::int64_t value : {std::int64_t{0}, std::int64_t{-1}, std::int64_t{1} << 40,
                               std::numeric_limits<std::int64_t>::min()}) {
        EXPECT_EQ(db_->Query("SELECT $1::bigint", value).Int(0, 0), value);
    }
    // Names compare by their bytes, as the folder ranges of the queries need.
    const auto below = [this](const std::string& name) {
        return db_->Query("SELECT ($1 >= $2 AND $1 < $3)::int", name, "a/", "a0").Int(0, 0) == 1;
    };
    EXPECT_TRUE(below("a/b"));
    EXPECT_FALSE(below("a0"));
    EXPECT_FALSE(below("a."));
    EXPECT_FALSE(below("a\xc3\xa9"));
}

TEST_F(PgLayerTest, SchemaIsCreatedOnceAndUpgradedOrRefusedByVersion) {
    EXPECT_TRUE(pg::HasSchema(*db_));
    EXPECT_THROW(pg::CreateSchema(*db_), server::StorageError);

    // A database of the first version: no index of live files, loose contents nor disabled
    // users yet, but data.
    db_->Execute(
        "DROP INDEX files_live, versions_by_object; DROP TABLE loose_contents; "
        "ALTER TABLE users DROP COLUMN disabled; UPDATE schema_version SET version = 1; "
        "INSERT INTO organizations (name) VALUES ('acme')");
    pg::UpgradeSchema(*db_);
    EXPECT_EQ(Count("SELECT count(*) FROM pg_indexes WHERE indexname IN ('files_live', "
                    "'versions_by_object', 'loose_contents_by_age') AND "
                    "schemaname = current_schema()"),
              3);
    EXPECT_EQ(Count("SELECT version FROM schema_version"), 4);
    EXPECT_EQ(Count("SELECT count(*) FROM organizations"), 1);
    EXPECT_EQ(Count("SELECT count(*) FROM information_schema.columns WHERE table_name = 'users' "
                    "AND column_name = 'disabled' AND table_schema = current_schema()"),
              1);

    // A newer server's database is refused, for opening and for each write.
    db_->Execute("UPDATE schema_version SET version = 9");
    try {
        pg::UpgradeSchema(*db_);
        ADD_FAILURE() << "a newer schema was accepted";
    } catch (const server::StorageError& error) {
        EXPECT_NE(std::string(error.what()).find("has schema version 9, newer than"),
                  std::string::npos)
            << error.what();
    }
    EXPECT_THROW(pg::Transaction(*db_, pg::Transaction::Kind::kWrite), server::StorageError);
    EXPECT_TRUE(db_->Idle()) << "the refused write left a transaction open";
    EXPECT_EQ(Count("SELECT version FROM schema_version"), 9);
}

TEST_F(PgLayerTest, AnEmptyDatabaseIsNotServed) {
    PgTestDatabase empty;
    pg::Connection db(empty.Url());
    EXPECT_FALSE(pg::HasSchema(db));
    EXPECT_THROW(pg::UpgradeSchema(db), server::StorageError);
    EXPECT_TRUE(db.Idle());
}

TEST_F(PgLayerTest, ContentIsStoredInChunksOnceAndReadBackWhole) {
    const std::string bytes = Bytes(static_cast<std::size_t>(2 * pg::kChunkSize + 12345));
    const std::string path = dir_.WriteFile("archive", bytes);
    {
        pg::Transaction transaction(*db_, pg::Transaction::Kind::kWrite);
        pg::StoreContent(*db_, "big", path);
        pg::StoreContent(*db_, "empty", dir_.WriteFile("empty", ""));
        transaction.Commit();
    }
    EXPECT_EQ(Count("SELECT count(*) FROM content_chunks WHERE address = 'big'"), 3);
    EXPECT_EQ(ReadBack("big"), bytes);
    EXPECT_EQ(ReadBack("empty"), "");

    // The same address again writes nothing, whatever the file now holds.
    {
        pg::Transaction transaction(*db_, pg::Transaction::Kind::kWrite);
        pg::StoreContent(*db_, "big", dir_.WriteFile("other", "other bytes"));
        transaction.Commit();
    }
    EXPECT_EQ(ReadBack("big"), bytes);
    EXPECT_EQ(Count("SELECT count(*) FROM content_chunks"), 3);

    // A rolled-back store leaves no row.
    {
        pg::Transaction transaction(*db_, pg::Transaction::Kind::kWrite);
        pg::StoreContent(*db_, "dropped", path);
    }
    std::int64_t size = 0;
    EXPECT_FALSE(pg::FindContent(*db_, "dropped", size));
    EXPECT_EQ(Count("SELECT count(*) FROM content_chunks"), 3);

    db_->Execute("DELETE FROM content_chunks WHERE chunk = 1");
    pg::ContentReader damaged("big", 2 * pg::kChunkSize + 12345);
    std::string chunk;
    EXPECT_TRUE(damaged.Next(*db_, chunk));
    EXPECT_THROW(damaged.Next(*db_, chunk), server::StorageError);
}

TEST_F(PgLayerTest, TwoWritersOfOneAddressStoreItOnce) {
    const std::string path = dir_.WriteFile("archive", Bytes(5000));
    pg::Connection other(database_.Url());
    // Plain transactions, without the writers' lock: the address row alone must make the
    // second writer wait for the first and then find the content stored.
    db_->Execute("BEGIN");
    pg::StoreContent(*db_, "same", path);
    auto second = std::async(std::launch::async, [&] {
        other.Execute("BEGIN");
        pg::StoreContent(other, "same", path);
        other.Execute("COMMIT");
    });
    db_->Execute("COMMIT");
    second.get();
    EXPECT_EQ(ReadBack("same"), Bytes(5000));
    EXPECT_EQ(Count("SELECT count(*) FROM content_chunks"), 1);
}

TEST_F(PgLayerTest, LooseContentsAreCollectedOnceStaleUnlessClaimed) {
    const std::string bytes = Bytes(static_cast<std::size_t>(pg::kChunkSize + 99));
    const std::string path = dir_.WriteFile("archive", bytes);
    const auto claim = [&](const char* address) {
        pg::Transaction transaction(*db_, pg::Transaction::Kind::kWrite);
        pg::ClaimContent(*db_, address, path);
        transaction.Commit();
    };
    const auto age = [&] {
        db_->Execute("UPDATE loose_contents SET stored_at = stored_at - interval '2 hours'");
    };
    const auto collect = [&] { pg::CollectLooseContents(*db_, 3600); };
    pg::StoreLooseContent(*db_, "claimed", path);
    pg::StoreLooseContent(*db_, "loose", path);
    claim("claimed");
    collect();
    EXPECT_EQ(Count("SELECT count(*) FROM contents"), 2) << "a fresh loose content was collected";

    // Storing an address again marks it afresh: a request about to claim it keeps it.
    age();
    pg::StoreLooseContent(*db_, "loose", path);
    collect();
    EXPECT_EQ(ReadBack("loose"), bytes);

    age();
    collect();
    std::int64_t size = 0;
    EXPECT_FALSE(pg::FindContent(*db_, "loose", size));
    EXPECT_EQ(Count("SELECT count(*) FROM content_chunks WHERE address = 'loose'"), 0);
    EXPECT_EQ(ReadBack("claimed"), bytes) << "a claimed content was collected";

    // A claim that comes after the collection stores the bytes again.
    claim("loose");
    EXPECT_EQ(ReadBack("loose"), bytes);
    EXPECT_EQ(Count("SELECT count(*) FROM loose_contents"), 0);
}

TEST_F(PgLayerTest, AFailedTransactionIsNeverReportedAsCommitted) {
    {
        pg::Transaction transaction(*db_, pg::Transaction::Kind::kWrite);
        db_->Query("INSERT INTO organizations (name) VALUES ($1)", "acme");
        EXPECT_THROW(db_->Query("INSERT INTO organizations (name) VALUES ($1)", "acme"), pg::Error);
        EXPECT_THROW(transaction.Commit(), server::StorageError);
    }
    EXPECT_EQ(Count("SELECT count(*) FROM organizations"), 0);
}

TEST_F(PgLayerTest, ThePoolKeepsOnlyIdleConnections) {
    pg::Pool pool(database_.Url());
    const auto backend = [](pg::Connection& db) {
        return db.Query("SELECT pg_backend_pid()::bigint").Int(0, 0);
    };
    std::int64_t kept = 0;
    {
        pg::Pool::Lease lease = pool.Acquire();
        kept = backend(*lease);
    }
    std::int64_t dropped = 0;
    {
        pg::Pool::Lease lease = pool.Acquire();
        EXPECT_EQ(backend(*lease), kept) << "an idle connection was not reused";
        dropped = kept;
        lease->Execute("BEGIN");  // left open, as by a request that threw mid-way
    }
    pg::Pool::Lease next = pool.Acquire();
    EXPECT_NE(backend(*next), dropped);
    EXPECT_TRUE(next->Idle());
}

TEST_F(PgLayerTest, ConnectionsTheDatabaseClosedAreOpenedAgainBeforeTheirFirstStatement) {
    // A transaction's first statement finds its connection closed, as after a restart.
    const auto readOnce = [](pg::Connection& db) {
        pg::Transaction transaction(db, pg::Transaction::Kind::kRead);
        const std::int64_t one = db.Query("SELECT 1::bigint").Int(0, 0);
        transaction.Commit();
        return one;
    };
    database_.CloseConnections();
    EXPECT_EQ(readOnce(*db_), 1);
    EXPECT_EQ(readOnce(*db_), 1) << "statements prepared before were not prepared again";

    // Kept connections leased for a statement outside any transaction.
    pg::Pool pool(database_.Url());
    {
        const pg::Pool::Lease a = pool.Acquire(), b = pool.Acquire(), c = pool.Acquire(),
                              d = pool.Acquire();
        for (const pg::Pool::Lease* lease : {&a, &b, &c, &d}) EXPECT_EQ(readOnce(**lease), 1);
    }
    database_.CloseConnections();
    std::int64_t size = 0;
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(pg::FindContent(*pool.Acquire(), "none", size)) << i;

    // A failure after the transaction's first statement is not retried.
    pg::Transaction transaction(*db_, pg::Transaction::Kind::kRead);
    database_.CloseConnections();
    EXPECT_THROW(db_->Query("SELECT 1::bigint"), pg::Error);
}

TEST_F(PgLayerTest, AnUnreachableDatabaseIsAStorageError) {
    EXPECT_THROW(pg::Connection("postgresql://nobody@127.0.0.1:1/none?connect_timeout=2"),
                 server::StorageError);
}

}  // namespace
}  // namespace servertest
