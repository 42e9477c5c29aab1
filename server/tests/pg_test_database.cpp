#include "pg_test_database.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <random>

#include "server/postgres/pg_connection.h"

namespace servertest {
namespace {

std::string UniqueSchemaName() {
    static std::atomic<int> counter{0};
    std::random_device random;
    return "test_" + std::to_string(getpid()) + "_" + std::to_string(counter++) + "_" +
           std::to_string(random() % 100000);
}

}  // namespace

bool TestingPostgres() {
    const char* storage = std::getenv("BRELMOX_TEST_STORAGE");
    return storage != nullptr && std::string(storage) == "postgresql";
}

PgTestDatabase::PgTestDatabase() {
    const char* url = std::getenv("BRELMOX_TEST_PG_URL");
    if (url == nullptr || *url == '\0') return;
    baseUrl_ = url;
    schema_ = UniqueSchemaName();
    server::pg::Connection(baseUrl_).Execute(("CREATE SCHEMA " + schema_).c_str());
    const char separator = baseUrl_.find('?') == std::string::npos ? '?' : '&';
    url_ = baseUrl_ + separator + "options=-csearch_path%3D" + schema_;
}

PgTestDatabase::~PgTestDatabase() {
    if (schema_.empty()) return;
    try {
        server::pg::Connection(baseUrl_).Execute(("DROP SCHEMA " + schema_ + " CASCADE").c_str());
    } catch (const std::exception&) {
        // The cluster went away first; it takes the schema with it.
    }
}

}  // namespace servertest
