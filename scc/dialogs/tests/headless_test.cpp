// With no display named, the provider never starts Qt: messages go to standard error and
// every dialog counts as cancelled, without waiting for anyone.
#include <gtest/gtest.h>
#include <unistd.h>
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

#include "scc/dialogs/qt_provider_ui.h"

namespace {

using namespace brelmoxscc;

// What the calls in between write to standard error.
class StderrCapture {
  public:
    StderrCapture() : file_(std::tmpfile()), saved_(dup(STDERR_FILENO)) {
        std::fflush(stderr);
        dup2(fileno(file_), STDERR_FILENO);
    }
    ~StderrCapture() {
        Restore();
        std::fclose(file_);
    }
    std::string Text() {
        Restore();
        std::string text;
        std::rewind(file_);
        for (int c; (c = std::fgetc(file_)) != EOF;) text += static_cast<char>(c);
        return text;
    }

  private:
    void Restore() {
        if (saved_ < 0) return;
        std::fflush(stderr);
        dup2(saved_, STDERR_FILENO);
        close(saved_);
        saved_ = -1;
    }
    std::FILE* file_;
    int saved_;
};

TEST(HeadlessProviderUiTest, MessagesGoToStandardErrorAndDialogsAreCancelled) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        ASSERT_EQ(std::getenv(name), nullptr) << name << " must be unset for this test";
    }
    const auto ui = MakeQtProviderUi();
    StderrCapture capture;
    ui->ShowMessage("Failed to connect to Brelmox\n");
    ui->ShowMessage("Enter a new Project or select an existing one.");
    EXPECT_EQ(capture.Text(),
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

    const auto progress = ui->OpenProgress();
    progress->SetAction("Adding files");
    progress->SetFile("/home/alice/work/a.c");
    EXPECT_FALSE(progress->CancelRequested());

    EXPECT_EQ(QCoreApplication::instance(), nullptr);
}

}  // namespace
