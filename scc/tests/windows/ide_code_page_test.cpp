// An IDE's strings in the system's ANSI code page: read as UTF-8, and the names handed back
// spelt in the code page within the IDE's buffer. The cases are those of code page 1252,
// the usual one of a Wine prefix.
#include <windows.h>
// windows.h names a drawing call so, which hides the fixture's output window.
#undef TextOut

#include <cstring>
#include <string>

#include "scc/ide_text.h"
#include "scc/project_binding.h"
#include "scc/tests/provider_fixture.h"
#include "test_support/answer_bytes.h"

namespace scctest {
namespace {

using brelmoxscc::ProjectChoice;

// "e" with an acute accent, in code page 1252 and in UTF-8.
const std::string kHostE = "\xE9";
const std::string kUtf8E = "\xC3\xA9";

std::string Repeated(const std::string& text, size_t times) {
    std::string out;
    for (size_t i = 0; i < times; ++i) out += text;
    return out;
}

class IdeCodePageTest : public ProviderTest {
  protected:
    void SetUp() override {
        if (GetACP() != 1252) GTEST_SKIP() << "the ANSI code page is " << GetACP() << ", not 1252";
        context = &LoggedIn();
        TextOut().clear();
    }

    SCCRTN Open(const std::string& name, LONG flags, const char* comment) {
        std::strcpy(project, name.c_str());
        return brelmoxscc::OpenProject(*context, project, folder.c_str(), comment, RecordTextOut,
                                       flags);
    }

    brelmoxscc::ProviderContext* context = nullptr;
    char project[301] = "";
    const std::string folder = dir.Path("caf\xC3\xA9");
};

TEST_F(IdeCodePageTest, FileNamesAreReadAsUtf8AndHandedBackAsTheIdesOwn) {
    const std::string ide = "C:\\src\\caf" + kHostE + ".c";
    const LPCSTR files[] = {ide.c_str(), nullptr};
    const brelmoxscc::IdeNames names(2, files);
    ASSERT_NE(names.Get(), nullptr);
    EXPECT_STREQ(names.Get()[0], ("C:\\src\\caf" + kUtf8E + ".c").c_str());
    EXPECT_EQ(names.Get()[1], nullptr);
    EXPECT_EQ(names.IdeSpelling(names.Get()[0]), files[0]);
    EXPECT_EQ(names.IdeSpelling(ide.c_str()), ide.c_str());
    EXPECT_EQ(brelmoxscc::IdeNames(0, nullptr).Get(), nullptr);
    EXPECT_STREQ(brelmoxscc::IdeText(("d" + kHostE + "j").c_str()).Get(),
                 ("d" + kUtf8E + "j").c_str());
    EXPECT_EQ(brelmoxscc::IdeText(nullptr).Get(), nullptr);
}

TEST_F(IdeCodePageTest, ProjectNameCommentAndFolderAreReadAndWrittenInTheCodePage) {
    server.Enqueue(testsupport::StatusReply(-2018, "Unknown project."));
    server.Enqueue(testsupport::StatusReply(0));
    const std::string hostFolder = dir.Path("caf") + kHostE;
    std::strcpy(project, ("Caf" + kHostE).c_str());
    EXPECT_EQ(
        brelmoxscc::OpenProject(*context, project, hostFolder.c_str(), ("d" + kHostE + "j").c_str(),
                                RecordTextOut, SCC_OP_CREATEIFNEW),
        SCC_OK);
    EXPECT_EQ(Field(2, "project_name"), "Caf" + kUtf8E);
    EXPECT_EQ(Field(2, "project_description"), "d" + kUtf8E + "j");
    EXPECT_EQ(std::string(project), "Caf" + kHostE);
    EXPECT_EQ(context->m_strProject, "Caf" + kUtf8E);
    EXPECT_EQ(context->m_strLocalProjectPath, folder);

    server.Enqueue(testsupport::StatusReply(-2018, "Unknown project."));
    EXPECT_EQ(Open("M" + kHostE + "lange", SCC_OP_SILENTOPEN, ""), SCC_E_UNKNOWNPROJECT);
    EXPECT_EQ(TextOut(),
              std::vector<std::string>{"1 Project, 'M" + kHostE + "lange\", is unknown."});
}

// The IDE's buffer holds 300 bytes of the code page, however long the name's UTF-8 is; a name
// the code page cannot spell is never handed back changed.
TEST_F(IdeCodePageTest, ChosenProjectNamesFitTheBufferInTheCodePageOrAreRefused) {
    struct Case {
        std::string chosen;
        SCCRTN result;
        std::string handedBack;
        std::string message;
    };
    const Case cases[] = {
        {Repeated(kUtf8E, 300), SCC_OK, Repeated(kHostE, 300), ""},
        {Repeated(kUtf8E, 301), SCC_E_COULDNOTCREATEPROJECT, "", "longer than 300 characters"},
        {"a\xE2\x86\x92"
         "b",
         SCC_E_COULDNOTCREATEPROJECT, "", "cannot be written in this system's code page"},
    };
    for (const Case& c : cases) {
        ui.messages.clear();
        ui.projectChoices = {ProjectChoice{"", "", c.chosen}};
        server.Enqueue(
            testsupport::Answer({testsupport::HttpResponse(testsupport::StatusBody(0))}));
        if (c.result == SCC_OK) server.Enqueue(testsupport::StatusReply(0));
        project[0] = '\0';
        EXPECT_EQ(brelmoxscc::SelectOrCreateProject(*context, project), c.result) << c.chosen;
        EXPECT_EQ(std::string(project), c.handedBack);
        if (c.message.empty()) {
            EXPECT_TRUE(ui.messages.empty());
        } else {
            ASSERT_EQ(ui.messages.size(), 1u) << c.chosen;
            EXPECT_NE(ui.messages[0].find(c.message), std::string::npos) << ui.messages[0];
        }
    }
}

}  // namespace
}  // namespace scctest
