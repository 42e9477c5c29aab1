#include "server_fixture.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "client/my_compress.h"
#include "server/admin.h"
#include "server/data_folder.h"
#include "server/database.h"

namespace servertest {
namespace {

constexpr int kTestIterations = 1000;  // slow hashing is not under test here
constexpr const char* kFieldStart = "--AaB03x\n";
constexpr const char* kRecordEnd = "--AaB03x--\n";

std::string PartHead(const std::string& name) {
    return "Content-Disposition: form-data; name=\"" + name + "\"\r\n\r\n";
}

std::string TextParts(const Fields& fields) {
    std::string body = "--AaB03x\r\n";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) body += "\r\n--AaB03x\r\n";
        body += PartHead(fields[i].first) + fields[i].second;
    }
    return body;
}

// Reads "--AaB03x\nkey:value\n" at pos; false when the bytes there are something else.
bool ReadField(const std::string& text, std::size_t& pos, std::string& key, std::string& value) {
    if (text.compare(pos, 9, kFieldStart) != 0) return false;
    const std::size_t lineEnd = text.find('\n', pos + 9);
    const std::size_t colon = text.find(':', pos + 9);
    if (lineEnd == std::string::npos || colon == std::string::npos || colon > lineEnd) return false;
    key = text.substr(pos + 9, colon - pos - 9);
    value = text.substr(colon + 1, lineEnd - colon - 1);
    pos = lineEnd + 1;
    return true;
}

int AppendRow(void* out, int columns, char** values, char**) {
    auto* text = static_cast<std::string*>(out);
    for (int i = 0; i < columns; ++i)
        *text += (values[i] != nullptr ? values[i] : "NULL") + std::string("|");
    *text += "\n";
    return 0;
}

}  // namespace

std::string FormBody(const Fields& fields) {
    return TextParts(fields) + "\r\n--AaB03x--\r\n";
}

std::string UploadBody(const Fields& fields, const std::string& filename,
                       const std::string& archive) {
    return TextParts(fields) + "\r\n--AaB03x\r\n" +
           "Content-Disposition: form-data; name=\"userfile\"; filename=\"" + filename + "\"\r\n" +
           "Content-Transfer-Encoding: binary\r\n" +
           "Content-Type: application/x-octet-stream\r\n\r\n" + archive + "\r\n--AaB03x--\r\n";
}

Fields ParseFields(const std::string& answer) {
    Fields fields;
    std::size_t pos = 0;
    std::string key, value;
    while (ReadField(answer, pos, key, value)) fields.emplace_back(key, value);
    EXPECT_EQ(pos, answer.size()) << "unread answer bytes: " << answer.substr(pos);
    return fields;
}

std::vector<Record> ParseRecords(const std::string& answer) {
    std::vector<Record> records;
    std::size_t pos = 0;
    while (pos < answer.size()) {
        Record record;
        std::string key, value;
        while (ReadField(answer, pos, key, value)) {
            record.fields[key] = value;
            if (key != "content") continue;
            const std::size_t size = std::stoul(record.fields["size"]);
            record.content = answer.substr(pos, size);
            pos += size;
            break;
        }
        if (answer.compare(pos, 11, kRecordEnd) != 0) {
            ADD_FAILURE() << "no record end at byte " << pos << " of: " << answer;
            break;
        }
        pos += 11;
        records.push_back(record);
    }
    return records;
}

void ServerFixture::SetUp() {
    data_ = dir_.Path("data");
    server::DataFolder folder(data_);
    folder.Initialise();
    server::Database db(folder.DatabasePath(), false);
    server::AddOrganization(db, "acme");
    server::AddUser(db, "acme", "alice", "secret", kTestIterations);
    server::AddUser(db, "acme", "bob", "builder", kTestIterations);
    server::AddProject(db, "acme", "web", "The web site");
    StartServer();
}

void ServerFixture::TearDown() {
    StopServer();
}

void ServerFixture::StartServer(server::ServeOptions options) {
    options.dataFolder = data_;
    options.port = 0;
    options.threads = 8;
    server_ = std::make_unique<server::RepositoryServer>(options);
    port_ = server_->Bind();
    serving_ = std::thread([this] { server_->Run(); });
}

void ServerFixture::StopServer() {
    if (!server_) return;
    server_->Stop();
    serving_.join();
    server_.reset();
}

httplib::Result ServerFixture::PostRaw(const std::string& path, const std::string& body,
                                       const std::string& contentType) {
    httplib::Client client("127.0.0.1", port_);
    return client.Post(path.c_str(), body, contentType.c_str());
}

std::string ServerFixture::Post(const std::string& script, const std::string& body) {
    const httplib::Result result = PostRaw("/" + script, body);
    if (!result) {
        ADD_FAILURE() << script << ": no answer";
        return "";
    }
    EXPECT_EQ(result->status, 200) << script;
    return result->body;
}

Fields ServerFixture::Who(const std::string& user) {
    const std::string password = user == "alice" ? "secret" : "builder";
    return {
        {"username", user}, {"password", password}, {"organization", "acme"}, {"project", "web"}};
}

Fields ServerFixture::With(Fields fields, const Fields& more) {
    fields.insert(fields.end(), more.begin(), more.end());
    return fields;
}

std::string ServerFixture::Archive(const std::string& content) {
    const std::string source = dir_.WriteFile("source.txt", content);
    const std::string archive = dir_.Path("source.zip");
    std::filesystem::remove(archive);
    MyCompress zip;
    EXPECT_TRUE(zip.CompressFile(source, archive));
    return dir_.ReadFile(archive);
}

std::string ServerFixture::Upload(const std::string& folder, const std::string& name,
                                  const std::string& content, bool checkin,
                                  const std::string& user) {
    const Fields fields = With(Who(user), {{"viewpath", folder},
                                           {"checkin", checkin ? "Y" : "N"},
                                           {"description", "upload of " + name}});
    return Post("add_files_from_cli.php",
                UploadBody(fields, "C:\\work\\" + name, Archive(content)));
}

std::string ServerFixture::Get(const std::string& viewPath, bool recurse, bool checkout,
                               const Fields& selection, const std::string& user) {
    Fields fields = With(Who(user), {{"recurse", recurse ? "Y" : "N"},
                                     {"checkout", checkout ? "Y" : "N"},
                                     {"viewpath", viewPath}});
    fields = With(fields, selection);
    fields.emplace_back("description", "");
    return Post("get_files_from_cli.php", FormBody(fields));
}

std::string ServerFixture::Unpacked(const std::string& archive) {
    const std::string archivePath = dir_.WriteFile("fetched.zip", archive);
    const std::string target = dir_.Path("fetched.txt");
    MyCompress zip;
    EXPECT_TRUE(zip.DecompressFile(target, archivePath));
    return dir_.ReadFile(target);
}

std::string ServerFixture::Snapshot() {
    std::string text;
    sqlite3* db = nullptr;
    sqlite3_open_v2((data_ + "/brelmox.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    for (const char* table : {"organizations", "users", "projects", "files", "versions",
                              "checkouts", "labels", "label_versions"}) {
        const std::string sql = std::string("SELECT * FROM ") + table + " ORDER BY rowid";
        text += std::string(table) + ":\n";
        sqlite3_exec(db, sql.c_str(), AppendRow, &text, nullptr);
    }
    sqlite3_close(db);
    std::vector<std::string> names;
    for (const char* folder : {"/objects", "/tmp"}) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(data_ + folder)) {
            names.push_back(entry.path().string());
        }
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) text += name + "\n";
    return text;
}

}  // namespace servertest
