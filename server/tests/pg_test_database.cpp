#include "pg_test_database.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>

#include "server/storage/postgres/pg_connection.h"

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
    url_ = baseUrl_ + separator + "options=-csearch_path%3D" + schema_ +
           "&application_name=" + schema_;
}

void PgTestDatabase::CloseConnections() const {
    server::pg::Connection db(baseUrl_);
    const std::string mine = " FROM pg_stat_activity WHERE application_name = '" + schema_ + "'";
    db.Execute(("SELECT pg_terminate_backend(pid)" + mine).c_str());
    // A backend ends some time after it was told to.
    const std::string counted = "SELECT count(*)::bigint" + mine;
    for (int poll = 0; poll < 6000; ++poll) {
        if (db.Query(counted.c_str()).Int(0, 0) == 0) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ADD_FAILURE() << "connections to " << schema_ << " went on for a minute after being closed";
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
