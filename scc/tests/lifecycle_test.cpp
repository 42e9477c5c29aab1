// Starting a session: reachability, the login loop and what the IDE is told.
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "client/context.h"
#include "scc/lifecycle.h"
#include "scc/tests/provider_fixture.h"

// Stands in for libcurl's own: a provider that cleans libcurl up when it goes (at unload or
// exit) ends the process that tests it with status 3.
std::atomic<bool> curlCleanupEndsTheProcess{false};
extern "C" void curl_global_cleanup(void) {
    if (curlCleanupEndsTheProcess) _exit(3);
}

namespace scctest {
namespace {

using brelmoxscc::Initialize;

class LifecycleTest : public ProviderTest {
  protected:
    SCCRTN InitializeWithoutAnswers() {
        return Initialize(ui, &ideContext, "ide", nullptr, nullptr, nullptr, nullptr, nullptr);
    }
};

// The IDE may use libcurl itself after the provider is gone: the provider initialises it
// and leaves it initialised.
TEST_F(LifecycleTest, TheProviderNeverCleansUpLibcurl) {
    brelmox::WriteRegString(brelmox::BuildKeyPath("Connection"), "URL", "127.0.0.1:1");
    EXPECT_EXIT(
        {
            curlCleanupEndsTheProcess = true;
            InitializeWithoutAnswers();
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(LifecycleTest, UnreachableSiteShowsOneMessageAndOpensNoDialog) {
    // Port 1 on the loopback refuses at once.
    brelmox::WriteRegString(brelmox::BuildKeyPath("Connection"), "URL", "127.0.0.1:1");
    brelmox::WriteRegString(brelmox::BuildKeyPath("Connection"), "Virtual Directory", "scm");
    ideContext = &ui;  // whatever the IDE held before must not survive a failure
    EXPECT_EQ(InitializeWithoutAnswers(), SCC_E_INITIALIZEFAILED);
    EXPECT_EQ(ui.messages, std::vector<std::string>{
                               "Couldn't connect to Brelmox site, 'http://127.0.0.1:1/scm'"});
    EXPECT_TRUE(ui.loginsShown.empty());
    EXPECT_EQ(ideContext, nullptr);
}

TEST_F(LifecycleTest, RefusedOrganizationAsksAgainAndStoresTheSecondLogin) {
    ui.logins = {LoginValues{"Acne", "alice", "secret"}, LoginValues{"Acme", "alice", "s3cret"}};
    server.Enqueue(testsupport::StatusReply(-2020, "Unknown organization 'Acne'."));
    server.Enqueue(testsupport::StatusReply(0));
    EXPECT_EQ(InitializeWithoutAnswers(), SCC_OK);
    ASSERT_NE(ideContext, nullptr);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Unknown organization 'Acne'."});
    ASSERT_EQ(ui.loginsShown.size(), 2u);
    EXPECT_EQ(ui.loginsShown[0].organization, "Acme");  // from the stored configuration
    EXPECT_EQ(ui.loginsShown[1].organization, "Acne");  // what the user typed
    EXPECT_EQ(Field(1, "password"), "s3cret");

    brelmox::COstrelContext stored;
    stored.LoadConfig();
    EXPECT_EQ(stored.m_strOrganization, "Acme");
    EXPECT_EQ(stored.m_strPassword, "s3cret");
}

TEST_F(LifecycleTest, FailuresLeaveTheIdeWithoutAContext) {
    const struct {
        const char* name;
        std::deque<std::optional<LoginValues>> logins;
        std::vector<testsupport::ScriptedReply> replies;
        SCCRTN result;
        size_t requests;
    } cases[] = {
        {"cancelled login", {std::nullopt}, {}, SCC_E_NOTAUTHORIZED, 0},
        {"cancelled after a refusal",
         {LoginValues{"Acme", "alice", "wrong"}, std::nullopt},
         {testsupport::StatusReply(-2014, "Invalid user.")},
         SCC_E_NOTAUTHORIZED,
         1},
        {"unknown project status",
         {LoginValues{"Acme", "alice", "secret"}},
         {testsupport::StatusReply(-2018, "Unknown project.")},
         SCC_E_INITIALIZEFAILED,
         1},
        {"HTTP error page",
         {LoginValues{"Acme", "alice", "secret"}},
         {testsupport::Answer({testsupport::HttpResponse("<html>down</html>", 503)})},
         SCC_E_INITIALIZEFAILED,
         1},
    };
    for (const auto& c : cases) {
        ScriptedUi fresh;
        fresh.logins = c.logins;
        for (const auto& reply : c.replies) server.Enqueue(reply);
        const size_t before = server.RequestCount();
        ideContext = &fresh;
        EXPECT_EQ(
            Initialize(fresh, &ideContext, "ide", nullptr, nullptr, nullptr, nullptr, nullptr),
            c.result)
            << c.name;
        EXPECT_EQ(ideContext, nullptr) << c.name;
        EXPECT_EQ(server.RequestCount() - before, c.requests) << c.name;
    }
}

TEST_F(LifecycleTest, FixedFactsAreAnsweredAndNullOutParametersAreSkipped) {
    ui.logins = {LoginValues{"Acme", "alice", "secret"}, LoginValues{"Acme", "alice", "secret"}};
    server.Enqueue(testsupport::StatusReply(0));
    server.Enqueue(testsupport::StatusReply(0));
    char name[32];
    std::memset(name, 'x', sizeof name);
    char aux[8] = "aux";
    LONG caps = 0, checkoutComment = 7, comment = 7;
    ASSERT_EQ(Initialize(ui, &ideContext, "ide", name, &caps, aux, &checkoutComment, &comment),
              SCC_OK);
    EXPECT_STREQ(name, "Brelmox");
    EXPECT_EQ(caps, 0x40009AFE);
    EXPECT_STREQ(aux, "");
    EXPECT_EQ(checkoutComment, 0);
    EXPECT_EQ(comment, 0);
    EXPECT_EQ(static_cast<brelmoxscc::ProviderContext*>(ideContext)->m_strCallerName, "ide");

    // A second session beside the first, with no out-parameters at all.
    void* second = nullptr;
    EXPECT_EQ(Initialize(ui, &second, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              SCC_OK);
    EXPECT_NE(second, ideContext);
    EXPECT_EQ(brelmoxscc::Uninitialize(second), SCC_OK);
    EXPECT_EQ(Initialize(ui, nullptr, "ide", nullptr, nullptr, nullptr, nullptr, nullptr),
              SCC_E_INITIALIZEFAILED);
}

}  // namespace
}  // namespace scctest
