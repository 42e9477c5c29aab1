#include "server_fixture.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>

#include "common/my_compress.h"
#include "server/admin/admin.h"
#include "server/storage/postgres/pg_connection.h"
#include "server/storage/sqlite/database.h"

namespace servertest {
namespace {

constexpr int kTestIterations = 1000;  // slow hashing is not under test here
constexpr const char* kFieldStart = "--AaB03x\n";
constexpr const char* kRecordEnd = "--AaB03x--\n";
constexpr const char* kTables[] = {"organizations", "users",     "projects", "files",
                                   "versions",      "checkouts", "labels",   "label_versions"};

std::string TextParts(const Fields& fields) {
    std::string body = "--AaB03x\r\n";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) body += "\r\n--AaB03x\r\n";
        body += "Content-Disposition: form-data; name=\"" + fields[i].first + "\"\r\n\r\n" +
                fields[i].second;
    }
    return body;
}

int AppendRow(void* out, int columns, char** values, char**) {
    auto* text = static_cast<std::string*>(out);
    for (int i = 0; i < columns; ++i)
        *text += (values[i] != nullptr ? values[i] : "NULL") + std::string("|");
    *text += "\n";
    return 0;
}

std::string PgTables(const std::string& url) {
    server::pg::Connection db(url);
    std::string text;
    for (const char* table : kTables) {
        const std::string sql = std::string("SELECT t::text FROM ") + table + " t ORDER BY 1";
        text += std::string(table) + ":\n";
        const server::pg::Result rows = db.Query(sql.c_str());
        for (int row = 0; row < rows.Rows(); ++row) text += rows.Text(row, 0) + "\n";
    }
    const server::pg::Result chunks = db.Query(
        "SELECT encode(address, 'escape') || ':' || chunk || ':' || md5(data) "
        "FROM content_chunks UNION ALL SELECT t::text FROM contents t "
        "UNION ALL SELECT 'loose ' || encode(address, 'escape') FROM loose_contents ORDER BY 1");
    text += "contents:\n";
    for (int row = 0; row < chunks.Rows(); ++row) text += chunks.Text(row, 0) + "\n";
    return text;
}

}  // namespace

std::string SqliteTables(const std::string& path) {
    std::string text;
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    for (const char* table : kTables) {
        const std::string sql = std::string("SELECT * FROM ") + table + " ORDER BY rowid";
        text += std::string(table) + ":\n";
        sqlite3_exec(db, sql.c_str(), AppendRow, &text, nullptr);
    }
    sqlite3_close(db);
    return text;
}

std::string Record::At(const std::string& key) const {
    for (const auto& [name, value] : fields)
        if (name == key) return value;
    ADD_FAILURE() << "no field " << key;
    return "";
}

std::string UploadBody(const Fields& fields, const std::string& filename,
                       const std::string& archive) {
    return TextParts(fields) + "\r\n--AaB03x\r\n" +
           "Content-Disposition: form-data; name=\"userfile\"; filename=\"" + filename + "\"\r\n" +
           "Content-Transfer-Encoding: binary\r\n" +
           "Content-Type: application/x-octet-stream\r\n\r\n" + archive + "\r\n--AaB03x--\r\n";
}

std::string FormBody(const Fields& fields) {
    return TextParts(fields) + "\r\n--AaB03x--\r\n";
}

std::vector<Record> Records(const std::string& answer) {
    std::vector<Record> records(1);
    std::size_t pos = 0;
    while (pos < answer.size()) {
        if (answer.compare(pos, 11, kRecordEnd) == 0) {
            pos += 11;
            if (pos < answer.size()) records.emplace_back();
            continue;
        }
        const std::size_t colon = answer.find(':', pos), lineEnd = answer.find('\n', colon);
        if (answer.compare(pos, 9, kFieldStart) != 0 || lineEnd == std::string::npos) {
            ADD_FAILURE() << "unreadable at byte " << pos << " of: " << answer;
            break;
        }
        Record& record = records.back();
        const std::string key = answer.substr(pos + 9, colon - pos - 9);
        if (key == "protocol" && !record.fields.empty())
            ADD_FAILURE() << "a record without its end line in: " << answer;
        record.fields.emplace_back(key, answer.substr(colon + 1, lineEnd - colon - 1));
        pos = lineEnd + 1;
        if (key != "content") continue;
        record.content = answer.substr(pos, std::stoul(record.At("size")));
        pos += record.content.size();
    }
    return records;
}

std::string Statuses(const std::string& answer) {
    std::string statuses;
    for (const Record& record : Records(answer)) {
        for (const auto& [key, value] : record.fields) {
            if (key != "status" && key != "version_status") continue;
            statuses += (statuses.empty() ? "" : " ") + value;
        }
    }
    return statuses;
}

void ServerFixture::SetUp() {
    data_ = dir_.Path("data");
    if (TestingPostgres()) {
        pg_ = std::make_unique<PgTestDatabase>();
        if (!pg_->Available()) GTEST_SKIP() << kNoPgMessage;
    }
    server::CreateStorage(Storage());
    const std::unique_ptr<server::Storage> storage = server::OpenStorage(Storage());
    server::AddOrganization(*storage, "acme");
    server::AddUser(*storage, "acme", "alice", "secret", kTestIterations);
    server::AddUser(*storage, "acme", "bob", "builder", kTestIterations);
    server::AddProject(*storage, "acme", "web", "The web site");
    StartServer();
}

server::StorageOptions ServerFixture::Storage() const {
    return server::StorageOptions{data_, pg_ ? pg_->Url() : ""};
}

void ServerFixture::RunSql(const char* sql) {
    if (pg_) {
        server::pg::Connection(pg_->Url()).Execute(sql);
    } else {
        server::Database(data_ + "/brelmox.db", false).Execute(sql);
    }
}

void ServerFixture::StartServer(server::ServeOptions options) {
    options.dataFolder = data_;
    options.databaseUrl = Storage().databaseUrl;
    options.port = 0;
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
    // A password check under a sanitizer on a loaded machine takes seconds, several at once
    // longer than the library's 5 s.
    client.set_read_timeout(120);
    return client.Post(path.c_str(), body, contentType.c_str());
}

std::string ServerFixture::Post(const std::string& script, const std::string& body) {
    const httplib::Result result = PostRaw("/" + script, body);
    EXPECT_TRUE(result && result->status == 200) << script;
    return result ? result->body : "";
}

std::string ServerFixture::Ask(const std::string& script, const Fields& more,
                               const std::string& user) {
    Fields fields = Who(user);
    fields.insert(fields.end(), more.begin(), more.end());
    return Post(script, FormBody(fields));
}

Fields ServerFixture::Who(const std::string& user) {
    const std::string password = user == "alice" ? "secret" : "builder";
    return {
        {"username", user}, {"password", password}, {"organization", "acme"}, {"project", "web"}};
}

std::string ServerFixture::Archive(const std::string& content) {
    const std::string source = dir_.WriteFile("source.txt", content);
    const std::string archive = dir_.Path("source.zip");
    std::filesystem::remove(archive);
    brelmox::MyCompress zip;
    EXPECT_TRUE(zip.CompressFile(source, archive));
    return dir_.ReadFile(archive);
}

std::string ServerFixture::Unpacked(const std::string& archive) {
    const std::string archivePath = dir_.WriteFile("fetched.zip", archive);
    brelmox::MyCompress zip;
    EXPECT_TRUE(zip.DecompressFile(dir_.Path("fetched.txt"), archivePath));
    return dir_.ReadFile("fetched.txt");
}

std::string ServerFixture::PostArchive(const std::string& folder, const std::string& filename,
                                       const std::string& archive, bool checkin,
                                       const std::string& description) {
    Fields fields = Who();
    fields.insert(
        fields.end(),
        {{"viewpath", folder}, {"checkin", checkin ? "Y" : "N"}, {"description", description}});
    return Post("add_files_from_cli.php", UploadBody(fields, filename, archive));
}

std::string ServerFixture::Upload(const std::string& folder, const std::string& name,
                                  const std::string& content, bool checkin) {
    return PostArchive(folder, "C:\\work\\" + name, Archive(content), checkin);
}

void ServerFixture::ExpectOneCheckOutWinner(int count, const std::function<int(int)>& portOf) {
    {
        const std::unique_ptr<server::Storage> storage = server::OpenStorage(Storage());
        for (int i = 0; i < count; ++i)
            server::AddUser(*storage, "acme", "u" + std::to_string(i), "builder", 1000);
    }
    Upload("Src", "hot.c", "contended");
    std::vector<std::string> statuses(static_cast<std::size_t>(count));
    std::vector<std::thread> threads;
    for (int i = 0; i < count; ++i) {
        threads.emplace_back([&, i] {
            Fields fields = Who("u" + std::to_string(i));
            fields.insert(fields.end(), {{"recurse", "N"},
                                         {"checkout", "Y"},
                                         {"viewpath", "Src/hot.c"},
                                         {"description", ""}});
            httplib::Client client("127.0.0.1", portOf(i));
            const httplib::Result result =
                client.Post("/get_files_from_cli.php", FormBody(fields), kClientType);
            statuses[static_cast<std::size_t>(i)] = result ? Statuses(result->body) : "no answer";
        });
    }
    for (std::thread& thread : threads) thread.join();
    std::sort(statuses.begin(), statuses.end());
    std::vector<std::string> expected(static_cast<std::size_t>(count - 1), "-2008");
    expected.push_back("0");
    EXPECT_EQ(statuses, expected);
}

std::string ServerFixture::Get(const std::string& viewPath, bool recurse, bool checkout,
                               const Fields& selection, const std::string& user) {
    Fields fields = {{"recurse", recurse ? "Y" : "N"},
                     {"checkout", checkout ? "Y" : "N"},
                     {"viewpath", viewPath},
                     {"description", ""}};
    fields.insert(fields.end(), selection.begin(), selection.end());
    return Ask("get_files_from_cli.php", fields, user);
}

std::unique_ptr<brelmox::COstrelContext> ServerFixture::ClientAs(const std::string& user,
                                                                 testsupport::NotifierLog* log) {
    auto context = std::make_unique<brelmox::COstrelContext>();
    context->SetNotifier(std::make_unique<testsupport::RecordingNotifier>(log));
    context->m_strURL = "127.0.0.1:" + std::to_string(port_);
    const Fields who = Who(user);
    context->m_strUsername = who[0].second;
    context->m_strPassword = who[1].second;
    context->m_strOrganization = who[2].second;
    context->m_strProject = who[3].second;
    return context;
}

std::string ServerFixture::Snapshot() {
    std::string text = pg_ ? PgTables(pg_->Url()) : SqliteTables(data_ + "/brelmox.db");
    std::vector<std::string> names;
    for (const char* folder : {"/objects", "/tmp"}) {
        if (!std::filesystem::exists(data_ + folder)) continue;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(data_ + folder))
            names.push_back(entry.path().string());
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) text += name + "\n";
    return text;
}

}  // namespace servertest
