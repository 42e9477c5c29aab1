// A real server on a fresh data folder (organization "acme", users "alice" and "bob",
// project "web"), served in-process on a free loopback port and spoken to over HTTP with
// the bodies the client sends.
#pragma once

#include <gtest/gtest.h>
#include <httplib.h>

#include <map>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "server/repository_server.h"
#include "test_support/temp_dir.h"

namespace servertest {

using Fields = std::vector<std::pair<std::string, std::string>>;

// One record of an answer: its fields in order and, for a file record, its archive bytes.
struct Record {
    std::map<std::string, std::string> fields;
    std::string content;
};

// The client's multipart body: "--AaB03x\r\n", the fields separated by
// "\r\n--AaB03x\r\n", and "\r\n--AaB03x--\r\n"; with a file part last when given.
std::string FormBody(const Fields& fields);
std::string UploadBody(const Fields& fields, const std::string& filename,
                       const std::string& archive);

// Splits a multi-record answer at its record end lines; a malformed answer fails the test.
std::vector<Record> ParseRecords(const std::string& answer);
// The fields of a single answer, in order ("status:" as "status").
Fields ParseFields(const std::string& answer);

class ServerFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    void StartServer(server::ServeOptions options = {});
    void StopServer();

    // POSTs with the client's content type; the HTTP status must be 200.
    std::string Post(const std::string& script, const std::string& body);
    httplib::Result PostRaw(
        const std::string& path, const std::string& body,
        const std::string& contentType = "multipart/form-data, boundary=AaB03x");

    // username, password, organization and project of a user of "acme" in "web".
    static Fields Who(const std::string& user = "alice");
    static Fields With(Fields fields, const Fields& more);

    // A one-entry zip archive of the content, as the client makes it.
    std::string Archive(const std::string& content);
    std::string Upload(const std::string& folder, const std::string& name,
                       const std::string& content, bool checkin = false,
                       const std::string& user = "alice");
    std::string Get(const std::string& viewPath, bool recurse = false, bool checkout = false,
                    const Fields& selection = {}, const std::string& user = "alice");
    // The unpacked content of a get record's archive.
    std::string Unpacked(const std::string& archive);

    // Every row of every table and the names under objects/ and tmp/: what a refused
    // request must leave as it was.
    std::string Snapshot();

    testsupport::TempDir dir_;
    std::string data_;
    int port_ = 0;

  private:
    std::unique_ptr<server::RepositoryServer> server_;
    std::thread serving_;
};

}  // namespace servertest
