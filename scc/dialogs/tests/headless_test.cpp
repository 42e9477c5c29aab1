// With no display named, or one that does not answer, the provider never starts Qt (which
// would end the host's process): messages go to standard error and every dialog counts as
// cancelled, without waiting for anyone. CTest runs each case with its own environment.
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <cstdlib>

#include "scc/dialogs/qt_provider_ui.h"

namespace {

using namespace brelmoxscc;

void ExpectNoDialogs() {
    const auto ui = MakeQtProviderUi();
    testing::internal::CaptureStderr();
    ui->ShowMessage("Failed to connect to Brelmox\n");
    ui->ShowMessage("Enter a new Project or select an existing one.");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Failed to connect to Brelmox\nEnter a new Project or select an existing one.\n");

    LoginValues values = {"Acme", "alice", "pw"};
    EXPECT_FALSE(ui->Login(&values));
    EXPECT_EQ(values.password, "pw");

    int listed = 0;
    const ProjectLister lister = [&listed] {
        ++listed;
        return std::vector<std::string>{"Web Site"};
    };
    ProjectChoice choice{"Shop", "", ""};
    EXPECT_FALSE(ui->SelectProject(lister, &choice));
    EXPECT_FALSE(ui->SetProject(lister, &choice));
    EXPECT_EQ(choice.chosen, "");
    EXPECT_EQ(listed, 0) << "no dialog, so no reason to fetch the project list";

    ui->ShowHistory("src\\main.c", "/home/alice/main.c", {brelmox::CFileVersion()}, nullptr);
    ui->ShowProperties(brelmox::CFileVersion());
    std::string commandLine = "cmp2 %s %s";
    EXPECT_FALSE(ui->EditCommandOptions(&commandLine));
    EXPECT_EQ(commandLine, "cmp2 %s %s");

    const auto progress = ui->OpenProgress();
    progress->SetAction("Adding files");
    progress->SetFile("/home/alice/work/a.c");
    EXPECT_FALSE(progress->CancelRequested());

    EXPECT_EQ(QCoreApplication::instance(), nullptr);
}

TEST(HeadlessProviderUiTest, NoDisplayNamed) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        if (std::getenv(name) != nullptr) GTEST_SKIP() << name << " is set";
    }
    ExpectNoDialogs();
}

TEST(HeadlessProviderUiTest, NamedDisplaysThatDoNotAnswer) {
    if (std::getenv("BRELMOX_DEAD_DISPLAY") == nullptr)
        GTEST_SKIP() << "run by its own CTest entry";
    ExpectNoDialogs();
}

}  // namespace
