// What the query layer adds of its own: SQLite binds the values of a query written with
// $1, $2... by their numbers, whatever order they appear in, and the schema's words are
// rendered or refused.
#include <gtest/gtest.h>

#include "server/storage/schema.h"
#include "server/storage/sqlite/database.h"
#include "server/storage/sqlite/placeholders.h"
#include "test_support/temp_dir.h"

namespace servertest {
namespace {

TEST(PlaceholderTest, NumbersOutsideQuotesBecomeSqlitesNumberedForm) {
    const struct {
        const char* written;
        const char* rendered;
    } cases[] = {
        {"SELECT $1", "SELECT ?1"},
        {"WHERE a = $2 AND b = $1 OR $2 = ''", "WHERE a = ?2 AND b = ?1 OR ?2 = ''"},
        {"SELECT $12, $3", "SELECT ?12, ?3"},
        {"SELECT '$1', \"$2\", $3", "SELECT '$1', \"$2\", ?3"},
        {"SELECT 'it''s $1', $1", "SELECT 'it''s $1', ?1"},
        {"SELECT $ 1, $a, $", "SELECT $ 1, $a, $"},
        {"", ""},
    };
    for (const auto& test : cases)
        EXPECT_EQ(server::NumberedPlaceholders(test.written), test.rendered) << test.written;
}

TEST(PlaceholderTest, SqliteBindsValuesByTheirNumberNotTheirOrder) {
    testsupport::TempDir dir;
    server::Database db(dir.Path("numbers.db"), true);
    server::sql::Session& session = db;
    const std::unique_ptr<server::sql::Rows> row =
        session.Fetch("SELECT $2 || '-' || $1 || '-' || $2, '$1'", "one", "two");
    ASSERT_TRUE(row->Next());
    EXPECT_EQ(row->Text(0), "two-one-two");
    EXPECT_EQ(row->Text(1), "$1");
    EXPECT_FALSE(row->Next());
}

TEST(SchemaWordsTest, WordsAreRenderedAndAnUnknownOneIsRefused) {
    const server::SchemaWords words = {{"text", "bytea"}, {"empty", "''::bytea"}};
    EXPECT_EQ(server::RenderSchema("name {text} DEFAULT {empty};", words),
              "name bytea DEFAULT ''::bytea;");
    EXPECT_EQ(server::RenderSchema("no words", words), "no words");
    EXPECT_THROW(server::RenderSchema("name {txt}", words), server::StorageError);
    EXPECT_THROW(server::RenderSchema("name {text", words), server::StorageError);
}

}  // namespace
}  // namespace servertest
