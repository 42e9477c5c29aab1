// The answer grammar byte for byte, and how the server answers bodies it cannot use.
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

TEST_F(WireTest, AddAnswerAndFileRecordByteForByte) {
    const std::string archive = Archive("layout");
    EXPECT_EQ(PostArchive("Docs/Notes\\", "/home/ann/l.txt", archive),
              "--AaB03x\nprotocol:1\n--AaB03x\nstatus:0\n--AaB03x\nname:l.txt\n"
              "--AaB03x\nviewpath:Docs\\Notes\n");
    EXPECT_EQ(Get("Docs/Notes/l.txt"),
              "--AaB03x\nprotocol:1\n--AaB03x\nstatus:0\n--AaB03x\nname:l.txt\n"
              "--AaB03x\nversion:1\n--AaB03x\nsize:" +
                  std::to_string(archive.size()) +
                  "\n--AaB03x\nviewpath:Docs\\Notes\n--AaB03x\ncontent:\n" + archive +
                  "--AaB03x--\n");
}

TEST_F(WireTest, RefusalsOfMultiRecordScriptsEndWithTheRecordEndLine) {
    EXPECT_EQ(Get("Src/*.java", true),
              "--AaB03x\nprotocol:1\n--AaB03x\nstatus:-2002\n"
              "--AaB03x\nerror:No file matches 'Src/*.java'.\n--AaB03x--\n");
    Fields wrong = Who();
    wrong[1].second = "nope";
    wrong.insert(wrong.end(), {{"recurse", "N"}, {"viewpath", "a.c"}});
    for (const char* script :
         {"get_files_from_cli.php", "uncheckout_from_cli.php", "remove_files_from_cli.php"}) {
        EXPECT_EQ(Post(script, FormBody(wrong)),
                  "--AaB03x\nprotocol:1\n--AaB03x\nstatus:-2014\n--AaB03x\nerror:Invalid user "
                  "name or password.\n--AaB03x--\n")
            << script;
    }
}

// A request with several faults is refused for the first one its script comes to: the
// credentials before any later field, and the fields in the order the script reads them.
TEST_F(WireTest, ARequestIsRefusedForTheFirstFaultItsScriptMeets) {
    const auto with = [](Fields fields, const Fields& more) {
        fields.insert(fields.end(), more.begin(), more.end());
        return fields;
    };
    const auto wrongPassword = [](const std::string& user) {
        Fields who = Who(user);
        who[1].second = "nope";
        return who;
    };
    Fields noProject = Who();
    noProject.pop_back();
    struct Case {
        const char* script;
        Fields fields;
        const char* status;
        std::string error;
    };
    const Case cases[] = {
        {"get_files_from_cli.php", with(wrongPassword("alice"), {{"recurse", "X"}}), "-2014",
         "Invalid user name or password."},
        {"create_label_cli.php", with(wrongPassword("alice"), {{"label", ""}}), "-2014",
         "Invalid user name or password."},
        {"get_history_from_cli.php", with(wrongPassword("bob"), {{"type", "nope"}}), "-2014",
         "Invalid user name or password."},
        {"create_project_from_cli.php", wrongPassword("bob"), "-2014",
         "Invalid user name or password."},
        {"add_files_from_cli.php", wrongPassword("bob"), "-2101",
         "Malformed request: the file part 'userfile' is missing."},
        {"query_info_multiple_from_cli_a.php",
         {{"username", "alice"}, {"organization", "acme"}},
         "-2101",
         "Malformed request: the field 'password' is missing."},
        {"validate_project_from_cli.php",
         {{"project", "web"}},
         "-2101",
         "Malformed request: the field 'organization' is missing."},
        {"remove_files_from_cli.php", with(noProject, {{"recurse", "X"}}), "-2101",
         "Malformed request: the field 'project' is missing."},
        {"get_files_from_cli.php", with(Who(), {{"recurse", "X"}}), "-2106",
         "Invalid value 'X' for the field 'recurse'."},
        {"get_files_from_cli.php",
         with(Who(),
              {{"recurse", "N"}, {"checkout", "N"}, {"viewpath", "a.c"}, {"version_no", "0"}}),
         "-2106", "Invalid value '0' for the field 'version_no'."},
        {"get_history_from_cli.php",
         with(Who(), {{"type", "version"}, {"filepath", "a.c"}, {"timezone", "east"}}), "-2009",
         "File 'a.c' is not in the repository."},
        {"create_label_cli.php",
         with(Who(), {{"label", ""}, {"description", std::string(70000, 'd')}}), "-2106",
         "A label needs a name."},
    };
    for (const Case& c : cases) {
        const bool records = std::string(c.script).find("files_from") != std::string::npos &&
                             std::string(c.script) != "add_files_from_cli.php";
        EXPECT_EQ(Post(c.script, FormBody(c.fields)),
                  std::string("--AaB03x\nprotocol:1\n--AaB03x\nstatus:") + c.status +
                      "\n--AaB03x\nerror:" + c.error + "\n" + (records ? "--AaB03x--\n" : ""))
            << c.script << " " << c.error;
    }
}

TEST_F(WireTest, UnusableBodiesAreMalformedRequestsAndOnlyAnUnknownScriptIs404) {
    const std::pair<std::string, std::string> bodies[] = {
        {"text/plain", "username=alice"},
        {kClientType, "--AaB03x\r\nContent-Disposition: form-data; name=\"username\"\r\n\r\nali"},
        {"multipart/form-data, boundary=XyZ", FormBody(Who())},
    };
    for (const auto& [type, body] : bodies) {
        const httplib::Result result = PostRaw("/validate_user_from_cli.php", body, type);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, 200);
        EXPECT_EQ(result->body,
                  "--AaB03x\nprotocol:1\n--AaB03x\nstatus:-2101\n--AaB03x\nerror:Malformed "
                  "request: the body is not a complete multipart form.\n")
            << body;
    }
    const httplib::Result unknown = PostRaw("/no_such_script.php", FormBody(Who()));
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->status, 404);
}

TEST_F(WireTest, BodyOverTheLimitIsRefusedAsAKeywordAnswer) {
    StopServer();
    server::ServeOptions options;
    options.maxRequestBytes = 1024;
    StartServer(options);
    EXPECT_EQ(Ask("validate_user_from_cli.php", {{"description", std::string(2000, 'x')}}),
              "--AaB03x\nprotocol:1\n--AaB03x\nstatus:-2102\n--AaB03x\nerror:Request larger than "
              "the server accepts (1024 bytes).\n");
}

TEST_F(WireTest, ServesOverTls) {
    StopServer();
    server::ServeOptions options;
    ASSERT_TRUE(
        testsupport::MakeTestCertificate(dir_.Path(), &options.tlsCertificate, &options.tlsKey));
    StartServer(options);
    httplib::SSLClient client("127.0.0.1", port_);
    client.set_ca_cert_path(options.tlsCertificate.c_str());
    const httplib::Result result =
        client.Post("/validate_user_from_cli.php", FormBody(Who()), kClientType);
    ASSERT_TRUE(result) << httplib::to_string(result.error());
    EXPECT_EQ(result->body, "--AaB03x\nprotocol:1\n--AaB03x\nstatus:0\n");
}

}  // namespace
}  // namespace servertest
