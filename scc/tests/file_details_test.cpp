// History with its Get button, properties, and the options dialog.
#include "scc/file_details.h"
#include "client/context.h"
#include "scc/command_options.h"
#include "scc/tests/provider_fixture.h"
#include "test_support/answer_bytes.h"

namespace scctest {
namespace {

using namespace brelmoxscc;
using testsupport::KeywordField;

class FileDetailsTest : public ProviderTest {
  protected:
    FileDetailsTest() : context(LoggedIn()) {}

    static std::string Version(int number, const std::string& user) {
        return KeywordField("version:", std::to_string(number)) +
               KeywordField("version_status:", "Checked in") +
               KeywordField("date:", "2026-12-0" + std::to_string(number) + " 10:00") +
               KeywordField("user:", user) +
               KeywordField("description:", "change " + std::to_string(number));
    }

    static testsupport::ScriptedReply Reply(const std::string& body) {
        return testsupport::Answer({testsupport::HttpResponse(body)});
    }

    ProviderContext& context;
    const std::string file = dir.Path("app/src/main.c");
};

TEST_F(FileDetailsTest, HistoryListsTheVersionsAndGetFetchesTheChosenOneWithoutCheckingOut) {
    server.Enqueue(Reply(testsupport::StatusBody(0) + Version(1, "alice") + Version(2, "bob") +
                         Version(3, "alice")));
    server.Enqueue(Reply(""));
    ui.historyFetches = {{"2", dir.Path("old")}};
    const LPCSTR files[] = {file.c_str(), "/ignored"};
    EXPECT_EQ(ShowHistory(context, 2, files), SCC_OK);
    ASSERT_EQ(ui.histories.size(), 1u);
    EXPECT_EQ(ui.histories[0].viewPath, "src\\main.c");
    EXPECT_EQ(ui.histories[0].localPath, file);
    ASSERT_EQ(ui.histories[0].versions.size(), 3u);
    EXPECT_EQ(ui.histories[0].versions[2].m_strUser, "alice");
    EXPECT_EQ(Field(1, "filepath"), "src\\main.c");
    EXPECT_EQ(Field(1, "type"), "version");
    EXPECT_EQ(Field(2, "viewpath"), "src\\main.c");
    EXPECT_EQ(Field(2, "version_no"), "2");
    EXPECT_EQ(Field(2, "checkout"), "N");
}

TEST_F(FileDetailsTest, AFailedQueryStillOpensTheDialogWithWhatArrived) {
    server.Enqueue(testsupport::StatusReply(-2009, "File 'src\\main.c' is not in the repository."));
    server.Enqueue(testsupport::StatusReply(-2009, "File 'src\\main.c' is not in the repository."));
    const LPCSTR files[] = {file.c_str()};
    EXPECT_EQ(ShowHistory(context, 1, files), SCC_OK);
    EXPECT_EQ(ShowProperties(context, file.c_str()), SCC_OK);
    ASSERT_EQ(ui.histories.size(), 1u);
    EXPECT_TRUE(ui.histories[0].versions.empty());
    ASSERT_EQ(ui.propertiesShown.size(), 1u);
    EXPECT_EQ(ui.propertiesShown[0].m_strFileName, "src\\main.c");
    EXPECT_EQ(ui.propertiesShown[0].m_strVersion, "");
    EXPECT_EQ(ui.messages.size(), 2u);
}

TEST_F(FileDetailsTest, PropertiesShowTheCurrentVersionUnderItsViewPath) {
    server.Enqueue(Reply(testsupport::StatusBody(0) + Version(3, "bob") +
                         KeywordField("date_removed:", "") + KeywordField("remover:", "")));
    EXPECT_EQ(ShowProperties(context, file.c_str()), SCC_OK);
    ASSERT_EQ(ui.propertiesShown.size(), 1u);
    EXPECT_EQ(ui.propertiesShown[0].m_strFileName, "src\\main.c");
    EXPECT_EQ(ui.propertiesShown[0].m_strVersion, "3");
    EXPECT_EQ(ui.propertiesShown[0].m_strUser, "bob");
    EXPECT_EQ(ui.propertiesShown[0].m_strDescription, "change 3");
}

TEST_F(FileDetailsTest, NoFileOrOneOutsideTheProjectSendsNothing) {
    const std::string outside = dir.Path("elsewhere/a.c");
    const LPCSTR files[] = {outside.c_str()};
    EXPECT_EQ(ShowHistory(context, 0, files), SCC_E_NONSPECIFICERROR);
    EXPECT_EQ(ShowHistory(context, 1, nullptr), SCC_E_NONSPECIFICERROR);
    EXPECT_EQ(ShowHistory(context, 1, files), SCC_E_FILENOTCONTROLLED);
    EXPECT_EQ(ShowProperties(context, outside.c_str()), SCC_E_FILENOTCONTROLLED);
    EXPECT_EQ(ShowProperties(context, nullptr), SCC_E_NONSPECIFICERROR);
    EXPECT_EQ(ui.messages.size(), 5u);
    EXPECT_EQ(ui.messages[0], "No file was given to show.");
    EXPECT_TRUE(ui.histories.empty());
    EXPECT_TRUE(ui.propertiesShown.empty());
    EXPECT_EQ(server.RequestCount(), 1u);
}

TEST_F(FileDetailsTest, OptionsDialogStoresTheCommandLineOnlyOnOk) {
    LPCMDOPTS options = nullptr;
    EXPECT_EQ(GetCommandOptions(context, SCC_COMMAND_DIFF, &options), SCC_OK);
    EXPECT_EQ(GetCommandOptions(context, SCC_COMMAND_OPTIONS, nullptr), SCC_I_ADV_SUPPORT);
    EXPECT_TRUE(ui.optionsShown.empty());

    context.m_strDiffCommand = "meld %s %s";
    ui.optionAnswers = {std::nullopt, std::string("\"/opt/my diff/bin/cmp\" -w %s %s")};
    EXPECT_EQ(GetCommandOptions(context, SCC_COMMAND_OPTIONS, &options), SCC_OK);
    EXPECT_EQ(context.m_strDiffCommand, "meld %s %s");
    EXPECT_EQ(GetCommandOptions(context, SCC_COMMAND_OPTIONS, &options), SCC_OK);
    EXPECT_EQ(ui.optionsShown, (std::vector<std::string>{"meld %s %s", "meld %s %s"}));
    EXPECT_EQ(options, nullptr);
    brelmox::COstrelContext stored;
    stored.LoadConfig();
    EXPECT_EQ(stored.m_strDiffCommand, "\"/opt/my diff/bin/cmp\" -w %s %s");
    EXPECT_EQ(stored.m_strUsername, "alice");
}

}  // namespace
}  // namespace scctest
