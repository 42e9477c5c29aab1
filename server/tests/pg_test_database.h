// A fresh, empty PostgreSQL schema for one test in the throw-away cluster whose URL
// scripts/test.sh puts into BRELMOX_TEST_PG_URL; dropped with everything in it when the
// test ends. Tests that need one skip, loudly, when no cluster was started.
#pragma once

#include <string>

namespace servertest {

class PgTestDatabase {
  public:
    // Available() is false when BRELMOX_TEST_PG_URL is unset.
    PgTestDatabase();
    ~PgTestDatabase();
    PgTestDatabase(const PgTestDatabase&) = delete;
    PgTestDatabase& operator=(const PgTestDatabase&) = delete;

    bool Available() const { return !url_.empty(); }
    // The cluster's URL with the schema first on the search path; its connections carry the
    // schema's name as their application name.
    const std::string& Url() const { return url_; }
    const std::string& Schema() const { return schema_; }

    // Closes every connection made with Url(), as a restart of the database does, and waits
    // until they are gone. Other tests' connections to the cluster stay.
    void CloseConnections() const;

  private:
    std::string baseUrl_;
    std::string schema_;
    std::string url_;
};

// Whether this run of the suite is the one against PostgreSQL (ctest runs every server test
// twice, the second time with BRELMOX_TEST_STORAGE=postgresql).
bool TestingPostgres();

inline constexpr const char* kNoPgMessage =
    "SKIPPED: no PostgreSQL cluster (BRELMOX_TEST_PG_URL is unset; scripts/test.sh starts one)";

}  // namespace servertest
