// Binding the IDE's project: an existing project, creation on request, the silent open,
// the set-project and select-project dialogs.
#include <cstring>

#include "client/context.h"
#include "scc/project_binding.h"
#include "scc/status_queries.h"
#include "scc/tests/provider_fixture.h"
#include "test_support/answer_bytes.h"

namespace scctest {
namespace {

using brelmoxscc::GetProjPath;
using brelmoxscc::OpenProject;

class ProjectBindingTest : public ProviderTest {
  protected:
    ProjectBindingTest() : context(LoggedIn()) { TextOut().clear(); }

    static testsupport::ScriptedReply ProjectList(const std::vector<std::string>& names) {
        std::string body = testsupport::StatusBody(0);
        for (const std::string& name : names) body += testsupport::KeywordField("project:", name);
        return testsupport::Answer({testsupport::HttpResponse(body)});
    }

    std::string StoredProject() {
        brelmox::COstrelContext stored;
        stored.LoadConfig();
        return stored.m_strProject;
    }

    SCCRTN Open(const char* name, LONG flags, const char* comment = "") {
        std::strcpy(project, name);
        return OpenProject(context, project, folder.c_str(), comment, RecordTextOut, flags);
    }

    brelmoxscc::ProviderContext& context;
    char project[301] = "";
    const std::string folder = dir.Path("work");
};

TEST_F(ProjectBindingTest, ExistingProjectIsBoundAndStoredWithoutADialog) {
    server.Enqueue(testsupport::StatusReply(0));
    EXPECT_EQ(Open("Web", 0), SCC_OK);
    EXPECT_TRUE(ui.projectDialogs.empty());
    EXPECT_EQ(context.m_strProject, "Web");
    EXPECT_EQ(context.m_strLocalProjectPath, folder);
    EXPECT_EQ(StoredProject(), "Web");
    EXPECT_EQ(Field(1, "project"), "Web");
}

TEST_F(ProjectBindingTest, UnknownProjectIsCreatedWhenAskedEvenWithSilentOpen) {
    server.Enqueue(testsupport::StatusReply(-2018, "Unknown project."));
    server.Enqueue(testsupport::StatusReply(0));
    EXPECT_EQ(Open("Mobile", SCC_OP_CREATEIFNEW | SCC_OP_SILENTOPEN, "phone app"), SCC_OK);
    EXPECT_EQ(Scripts(), (std::vector<std::string>{"validate_user_from_cli.php",
                                                   "validate_project_from_cli.php",
                                                   "create_project_from_cli.php"}));
    EXPECT_EQ(Field(2, "project_name"), "Mobile");
    EXPECT_EQ(Field(2, "project_description"), "phone app");
    EXPECT_STREQ(project, "Mobile");
    EXPECT_EQ(StoredProject(), "Mobile");
    EXPECT_TRUE(TextOut().empty());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ProjectBindingTest, SilentOpenOfAnUnknownProjectOnlyTellsTheOutputWindow) {
    server.Enqueue(testsupport::StatusReply(-2018, "Unknown project."));
    EXPECT_EQ(Open("Mobile", SCC_OP_SILENTOPEN), SCC_E_UNKNOWNPROJECT);
    EXPECT_EQ(TextOut(), std::vector<std::string>{"1 Project, 'Mobile\", is unknown."});
    EXPECT_TRUE(ui.projectDialogs.empty());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ProjectBindingTest, SetProjectDialogBindsTheChosenProject) {
    const struct {
        const char* name;
        std::optional<ProjectChoice> answer;
        std::vector<testsupport::ScriptedReply> replies;  // after the project list
        SCCRTN result;
        const char* bound;  // the IDE's buffer afterwards
    } cases[] = {
        {"cancelled", std::nullopt, {}, SCC_I_OPERATIONCANCELED, "Mobile"},
        {"existing project picked",
         ProjectChoice{"", "", "Web"},
         {testsupport::StatusReply(0)},
         SCC_OK,
         "Web"},
        {"typed name created",
         ProjectChoice{"Tablet", "tablet app", "Tablet"},
         {testsupport::StatusReply(-2018, "Unknown project."), testsupport::StatusReply(0)},
         SCC_OK,
         "Tablet"},
        {"creation refused",
         ProjectChoice{"Tablet", "", "Tablet"},
         {testsupport::StatusReply(-2018, "Unknown project."),
          testsupport::StatusReply(-2107, "Project exists.")},
         SCC_E_COULDNOTCREATEPROJECT,
         "Mobile"},
    };
    for (const auto& c : cases) {
        context.m_strLocalProjectPath.clear();
        ui.projectChoices = {c.answer};
        server.Enqueue(testsupport::StatusReply(-2018, "Unknown project."));
        server.Enqueue(ProjectList({"Web", "Api"}));
        for (const auto& reply : c.replies) server.Enqueue(reply);
        EXPECT_EQ(Open("Mobile", 0), c.result) << c.name;
        EXPECT_STREQ(project, c.bound) << c.name;
        EXPECT_EQ(ui.namesShown.back(), "Mobile") << c.name;
        EXPECT_EQ(ui.projectLists.back(), (std::vector<std::string>{"Web", "Api"})) << c.name;
        if (c.result == SCC_OK) {
            EXPECT_EQ(context.m_strLocalProjectPath, folder) << c.name;
            EXPECT_EQ(StoredProject(), c.bound) << c.name;
        }
    }
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Project exists."});
}

TEST_F(ProjectBindingTest, EmptyNameOpensSelectProjectAndNeverCutsALongName) {
    ui.projectChoices = {ProjectChoice{"", "", std::string(301, 'p')}, std::nullopt};
    server.Enqueue(ProjectList({}));
    EXPECT_EQ(Open("", 0), SCC_E_COULDNOTCREATEPROJECT);
    EXPECT_STREQ(project, "");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("longer than 300 characters"), std::string::npos);
    EXPECT_EQ(ui.projectDialogs, std::vector<std::string>{"CSelectProject"});
    EXPECT_EQ(context.m_strLocalProjectPath, folder);

    // Cancelled from the project-path question: the folder is taken all the same.
    server.Enqueue(ProjectList({"Web"}));
    std::string other = dir.Path("other");
    EXPECT_EQ(GetProjPath(context, project, other.data()), SCC_I_OPERATIONCANCELED);
    EXPECT_EQ(context.m_strLocalProjectPath, other);
    EXPECT_EQ(Scripts().back(), "get_project_list_from_cli.php");
}

// Two IDE sessions in one process: each one's messages reach its own output window, even
// after the other opened a project later.
TEST_F(ProjectBindingTest, EachContextWritesToItsOwnOutputWindow) {
    static std::vector<std::string> otherWindow;
    otherWindow.clear();
    server.Enqueue(testsupport::StatusReply(0));
    EXPECT_EQ(Open("Web", 0), SCC_OK);

    brelmoxscc::ProviderContext other(ui);
    other.LoadConfig();
    char otherProject[301] = "Mobile";
    server.Enqueue(testsupport::StatusReply(-2018, "Unknown project."));
    EXPECT_EQ(OpenProject(
                  other, otherProject, folder.c_str(), "",
                  [](LPCSTR text, DWORD) -> LONG {
                      otherWindow.push_back(text);
                      return 0;
                  },
                  SCC_OP_SILENTOPEN),
              SCC_E_UNKNOWNPROJECT);

    server.Enqueue(testsupport::StatusReply(-2014, "Invalid user name or password."));
    const std::string file = dir.WriteFile("work/a.c", "x");
    const LPCSTR files[] = {file.c_str()};
    LONG word = 0;
    EXPECT_EQ(brelmoxscc::QueryInfo(context, 1, files, &word), -1);
    EXPECT_EQ(TextOut(), std::vector<std::string>{"1 Invalid User"});
    EXPECT_EQ(otherWindow, std::vector<std::string>{"Project, 'Mobile\", is unknown."});
}

}  // namespace
}  // namespace scctest
