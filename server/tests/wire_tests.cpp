// The answer grammar byte for byte, and how the server answers bodies it cannot use.
#include "server/admin.h"
#include "server/database.h"
#include "server_fixture.h"
#include "test_support/test_certificate.h"

namespace servertest {
namespace {

class WireTest : public ServerFixture {};

TEST_F(WireTest, AcceptedUserGetsProtocolAndStatusOnly) {
    // The literal body the client sends for validate user.
    const std::string body =
        "--AaB03x\r\n"
        "Content-Disposition: form-data; name=\"username\"\r\n\r\nalice\r\n--AaB03x\r\n"
        "Content-Disposition: form-data; name=\"password\"\r\n\r\nsecret\r\n--AaB03x\r\n"
        "Content-Disposition: form-data; name=\"organization\"\r\n\r\nacme\r\n--AaB03x\r\n"
        "Content-Disposition: form-data; name=\"project\"\r\n\r\nweb\r\n--AaB03x--\r\n";
    EXPECT_EQ(Post("validate_user_from_cli.php", body),
              "--AaB03x\nprotocol:1\n--AaB03x\nstatus:0\n");
}

struct CredentialCase {
    const char* name;
    Fields fields;
    std::string expected;
};
void PrintTo(const CredentialCase& c, std::ostream* out) {
    *out << c.name;
}

class CredentialTest : public ServerFixture,
                       public ::testing::WithParamInterface<CredentialCase> {};

TEST_P(CredentialTest, RefusesWithStatusAndText) {
    EXPECT_EQ(Post("validate_user_from_cli.php", FormBody(GetParam().fields)), GetParam().expected);
}

const std::string kInvalidUser =
    "--AaB03x\nprotocol:1\n--AaB03x\nstatus:-2014\n--AaB03x\nerror:Invalid user name or "
    "password.\n";

INSTANTIATE_TEST_SUITE_P(
    Refusals, CredentialTest,
    ::testing::Values(
        CredentialCase{"UnknownOrganization",
                       {{"username", "alice"}, {"password", "secret"}, {"organization", "nope"}},
                       "--AaB03x\nprotocol:1\n--AaB03x\nstatus:-2020\n"
                       "--AaB03x\nerror:Unknown organization 'nope'.\n"},
        CredentialCase{"WrongPassword",
                       {{"username", "alice"}, {"password", "Secret"}, {"organization", "acme"}},
                       kInvalidUser},
        CredentialCase{"UnknownUser",
                       {{"username", "carol"}, {"password", "secret"}, {"organization", "acme"}},
                       kInvalidUser},
        CredentialCase{"EmptyPassword",
                       {{"username", "alice"}, {"password", ""}, {"organization", "acme"}},
                       kInvalidUser},
        CredentialCase{"MissingPassword",
                       {{"username", "alice"}, {"organization", "acme"}},
                       "--AaB03x\nprotocol:1\n--AaB03x\nstatus:-2101\n--AaB03x\nerror:Malformed "
                       "request: the field 'password' is missing.\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WireTest, NoticeIsAnsweredAndTheUserStillWorks) {
    {
        server::Database db(data_ + "/brelmox.db", false);
        server::SetUserNotice(db, "acme", "alice", "Your licence ends on Friday.");
    }
    EXPECT_EQ(Post("validate_user_from_cli.php", FormBody(Who())),
              "--AaB03x\nprotocol:1\n--AaB03x\nstatus:-2021\n"
              "--AaB03x\nerror:Your licence ends on Friday.\n");
    EXPECT_EQ(ParseFields(Post("get_project_list_from_cli.php", FormBody(Who())))[1].second, "0");
}

TEST_F(WireTest, ValidateProjectNeedsNoCredentials) {
    EXPECT_EQ(Post("validate_project_from_cli.php",
                   FormBody({{"organization", "acme"}, {"project", "web"}})),
              "--AaB03x\nprotocol:1\n--AaB03x\nstatus:0\n");
    EXPECT_EQ(
        Post("validate_project_from_cli.php",
             FormBody({{"organization", "acme"}, {"project", "shop"}})),
        "--AaB03x\nprotocol:1\n--AaB03x\nstatus:-2018\n--AaB03x\nerror:Unknown project 'shop'.\n");
}

TEST_F(WireTest, UnknownScriptIsTheOnly404) {
    const httplib::Result result = PostRaw("/no_such_script.php", FormBody(Who()));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 404);
}

struct BodyCase {
    const char* name;
    std::string contentType;
    std::string body;
};
void PrintTo(const BodyCase& c, std::ostream* out) {
    *out << c.name;
}

class UnusableBodyTest : public ServerFixture, public ::testing::WithParamInterface<BodyCase> {};

TEST_P(UnusableBodyTest, IsRefusedAsMalformedWithHttp200) {
    const httplib::Result result =
        PostRaw("/validate_user_from_cli.php", GetParam().body, GetParam().contentType);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 200);
    EXPECT_EQ(result->body,
              "--AaB03x\nprotocol:1\n--AaB03x\nstatus:-2101\n--AaB03x\nerror:Malformed request: "
              "the body is not a complete multipart form.\n");
}

const std::string kClientType = "multipart/form-data, boundary=AaB03x";

INSTANTIATE_TEST_SUITE_P(
    Bodies, UnusableBodyTest,
    ::testing::Values(
        BodyCase{"NotMultipart", "text/plain", "username=alice"},
        BodyCase{"Truncated", kClientType,
                 "--AaB03x\r\nContent-Disposition: form-data; name=\"username\"\r\n\r\nali"},
        BodyCase{"Garbage", kClientType, "hello world"},
        BodyCase{"OtherBoundary", "multipart/form-data, boundary=XyZ",
                 FormBody({{"username", "a"}})}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WireTest, BodyOverTheLimitIsRefusedAsAKeywordAnswer) {
    StopServer();
    server::ServeOptions options;
    options.maxRequestBytes = 1024;
    StartServer(options);
    const std::string body = FormBody(With(Who(), {{"description", std::string(2000, 'x')}}));
    EXPECT_EQ(Post("validate_user_from_cli.php", body),
              "--AaB03x\nprotocol:1\n--AaB03x\nstatus:-2102\n--AaB03x\nerror:Request larger than "
              "the server accepts (1024 bytes).\n");
}

TEST_F(WireTest, RefusalsOfMultiRecordScriptsEndWithTheRecordEndLine) {
    Fields wrong = Who();
    wrong[1].second = "nope";
    const std::string refusal =
        "--AaB03x\nprotocol:1\n--AaB03x\nstatus:-2014\n--AaB03x\nerror:Invalid user name or "
        "password.\n--AaB03x--\n";
    for (const char* script :
         {"get_files_from_cli.php", "uncheckout_from_cli.php", "remove_files_from_cli.php"}) {
        EXPECT_EQ(Post(script, FormBody(With(wrong, {{"recurse", "N"}, {"viewpath", "a.c"}}))),
                  refusal)
            << script;
    }
}

TEST_F(WireTest, LineBreaksInValuesTravelAsSpaces) {
    const Fields fields =
        With(Who(), {{"viewpath", ""}, {"checkin", "N"}, {"description", "one\r\ntwo\nthree"}});
    Post("add_files_from_cli.php", UploadBody(fields, "a.c", Archive("text")));
    const Fields history = ParseFields(
        Post("get_history_from_cli.php",
             FormBody(With(Who(), {{"filepath", "a.c"}, {"type", "version"}, {"timezone", "0"}}))));
    ASSERT_FALSE(history.empty());
    EXPECT_EQ(history.back().second, "one  two three");
}

TEST_F(WireTest, ServesOverTls) {
    StopServer();
    server::ServeOptions options;
    ASSERT_TRUE(
        testsupport::MakeTestCertificate(dir_.Path(), &options.tlsCertificate, &options.tlsKey));
    StartServer(options);
    httplib::SSLClient client("127.0.0.1", port_);
    client.set_ca_cert_path(options.tlsCertificate.c_str());
    const httplib::Result result = client.Post("/validate_user_from_cli.php", FormBody(Who()),
                                               "multipart/form-data, boundary=AaB03x");
    ASSERT_TRUE(result) << httplib::to_string(result.error());
    EXPECT_EQ(result->body, "--AaB03x\nprotocol:1\n--AaB03x\nstatus:0\n");
}

}  // namespace
}  // namespace servertest
