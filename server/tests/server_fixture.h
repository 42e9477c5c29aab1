// A real server on a fresh data folder (organization "acme", users "alice" and "bob",
// project "web"), served in-process on a free loopback port and spoken to over HTTP with
// the bodies the client sends.
#pragma once

#include <gtest/gtest.h>
#include <httplib.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "client/context.h"
#include "pg_test_database.h"
#include "server/repository_server.h"
#include "test_support/recording_notifier.h"
#include "test_support/temp_dir.h"

namespace servertest {

using Fields = std::vector<std::pair<std::string, std::string>>;

inline constexpr const char* kClientType = "multipart/form-data, boundary=AaB03x";

// One record of an answer (a keyword answer is one record without the end line): its fields
// in order and, for a file record, its archive bytes.
struct Record {
    Fields fields;
    std::string content;
    std::string At(const std::string& key) const;
};

// The client's multipart body.
std::string FormBody(const Fields& fields);
// The same with the archive as its file part.
std::string UploadBody(const Fields& fields, const std::string& filename,
                       const std::string& archive);

// Every row of the repository's tables in a data folder's database, table by table.
std::string SqliteTables(const std::string& databasePath);

// Splits an answer into its records; a malformed answer fails the test.
std::vector<Record> Records(const std::string& answer);
// The "status" and "version_status" values of an answer in order, separated by spaces.
std::string Statuses(const std::string& answer);

class ServerFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override { StopServer(); }

    void StartServer(server::ServeOptions options = {});
    // The storage under test: the data folder, or with TestingPostgres() a fresh database
    // (and the data folder for the server's uploads in progress).
    server::StorageOptions Storage() const;
    // Changes the storage's tables behind the server's back (dates the tests must know).
    void RunSql(const char* sql);
    void StopServer();

    httplib::Result PostRaw(const std::string& path, const std::string& body,
                            const std::string& contentType = kClientType);
    // The answer to a POST with the client's content type; the HTTP status must be 200.
    std::string Post(const std::string& script, const std::string& body);
    // A script asked by a user of "acme" in "web" with these fields after the credentials.
    std::string Ask(const std::string& script, const Fields& more,
                    const std::string& user = "alice");
    static Fields Who(const std::string& user = "alice");

    // A one-entry zip archive of the content as the client makes it, and back.
    std::string Archive(const std::string& content);
    std::string Unpacked(const std::string& archive);

    std::string PostArchive(const std::string& folder, const std::string& filename,
                            const std::string& archive, bool checkin = false,
                            const std::string& description = "upload");
    std::string Upload(const std::string& folder, const std::string& name,
                       const std::string& content, bool checkin = false);
    std::string Get(const std::string& viewPath, bool recurse = false, bool checkout = false,
                    const Fields& selection = {}, const std::string& user = "alice");

    // Users u0..u{count-1} are made and Src/hot.c uploaded; then all of them check it out at
    // once, user i through the server on portOf(i). Exactly one must win.
    void ExpectOneCheckOutWinner(int count, const std::function<int(int)>& portOf);

    // The client library speaking to this server as a user of "acme" in "web" (password as
    // Who gives it), reporting into *log.
    std::unique_ptr<brelmox::COstrelContext> ClientAs(const std::string& user,
                                                      testsupport::NotifierLog* log);

    // Every row of every table (stored chunks by their digest) and the names under objects/
    // and tmp/: what a refused request must leave as it was.
    std::string Snapshot();

    testsupport::TempDir dir_;
    std::unique_ptr<PgTestDatabase> pg_;
    std::string data_;
    int port_ = 0;

  private:
    std::unique_ptr<server::RepositoryServer> server_;
    std::thread serving_;
};

}  // namespace servertest
