// The provider's dialogs as the provider's logic runs them: modal, in the application that
// the provider found or made.
#include <gtest/gtest.h>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <clocale>
#include <cstdlib>
#include <functional>

#include "scc/dialogs/command_options.h"
#include "scc/dialogs/login.h"
#include "scc/dialogs/project_dialog.h"
#include "scc/dialogs/qt_provider_ui.h"
#include "scc/dialogs/tests/dialog_test_support.h"

namespace {

using namespace brelmoxscc;

// Runs first in its own process under ctest, so the provider is the one to make the
// application.
TEST(QtProviderUiTest, MakesTheApplicationWithoutChangingTheProcessLocale) {
    if (QCoreApplication::instance() != nullptr) {
        GTEST_SKIP() << "an application already exists in this process";
    }
    setenv("LC_ALL", "C.UTF-8", 1);
    ASSERT_NE(std::setlocale(LC_ALL, "C"), nullptr);
    const auto ui = MakeQtProviderUi();
    EXPECT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr);
    EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "C");
    EXPECT_FALSE(QApplication::quitOnLastWindowClosed());
}

// Login and the command options: the edit comes back on OK only.
TEST(QtProviderUiTest, EditDialogsAreModalAndHandBackWhatOkCopied) {
    if (!dialogtest::HaveApplication()) return;
    const auto ui = MakeQtProviderUi();
    struct Kind {
        const char* name;
        int editId;
        std::function<bool(ProviderUi&, std::string*)> run;
    };
    const Kind kinds[] = {
        {"CLogin", CLogin::kIdPassword,
         [](ProviderUi& ui, std::string* text) {
             LoginValues values = {"Acme", "alice", *text};
             const bool accepted = ui.Login(&values);
             EXPECT_EQ(values.organization, "Acme");
             *text = values.password;
             return accepted;
         }},
        {"CCommandOptions", CCommandOptions::kIdCommandLine,
         [](ProviderUi& ui, std::string* text) { return ui.EditCommandOptions(text); }},
    };
    const std::string typed = "\"/opt/cmp 2\" %s %s";
    const std::pair<int, bool> answers[] = {{kIdCancel, false}, {kIdOk, true}};
    for (const Kind& kind : kinds) {
        for (const auto& [button, accepted] : answers) {
            SCOPED_TRACE(std::string(kind.name) + " " + std::to_string(button));
            std::string text = "cmp2 %s %s";
            dialogtest::WhenModalOpens([&kind, &typed, button](QWidget* dialog) {
                EXPECT_EQ(dialog->objectName().toStdString(), kind.name);
                dialogtest::TypeInto(dialog, kind.editId, typed);
                dialogtest::ClickButton(dialog, button);
            });
            EXPECT_EQ(kind.run(*ui, &text), accepted);
            EXPECT_EQ(text, accepted ? typed : "cmp2 %s %s");
        }
    }
}

TEST(QtProviderUiTest, ProjectDialogsHandBackTheChoiceAndDescription) {
    if (!dialogtest::HaveApplication()) return;
    const auto ui = MakeQtProviderUi();
    const auto lister = dialogtest::ListerOf({"Web Site", "Billing"});
    struct Case {
        bool setProject;
        const char* dialogName;
        std::string chosen;
    };
    const Case cases[] = {{false, "CSelectProject", "Web Site"}, {true, "CSetProject", "Shop"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dialogName);
        ProjectChoice choice{"Shop", "", ""};
        dialogtest::WhenModalOpens([&c](QWidget* dialog) {
            EXPECT_EQ(dialog->objectName().toStdString(), c.dialogName);
            auto* list = FindControl<QListWidget>(dialog, ProjectDialog::kIdProjectList);
            if (!c.setProject) list->setCurrentRow(1);
            dialogtest::TypeInto(dialog, ProjectDialog::kIdDescription, "Online store");
            dialogtest::ClickButton(dialog, kIdOk);
        });
        EXPECT_TRUE(c.setProject ? ui->SetProject(lister, &choice)
                                 : ui->SelectProject(lister, &choice));
        EXPECT_EQ(choice.chosen, c.chosen);
        EXPECT_EQ(choice.description, "Online store");

        dialogtest::WhenModalOpens([](QWidget* dialog) { dialogtest::ClickButton(dialog, 2); });
        EXPECT_FALSE(c.setProject ? ui->SetProject(lister, &choice)
                                  : ui->SelectProject(lister, &choice));
    }
}

TEST(QtProviderUiTest, MessageIsAModalBoxTitledBrelmox) {
    if (!dialogtest::HaveApplication()) return;
    const auto ui = MakeQtProviderUi();
    std::string shown;
    dialogtest::WhenModalOpens([&](QWidget* window) {
        auto* box = qobject_cast<QMessageBox*>(window);
        ASSERT_NE(box, nullptr);
        shown = box->windowTitle().toStdString() + "|" + box->text().toStdString();
        box->accept();
    });
    ui->ShowMessage("Couldn't connect to Brelmox site, 'http://127.0.0.1:1/scm'");
    EXPECT_EQ(shown, "Brelmox|Couldn't connect to Brelmox site, 'http://127.0.0.1:1/scm'");
}

TEST(QtProviderUiTest, HistoryAndPropertiesAreModalUntilClosed) {
    if (!dialogtest::HaveApplication()) return;
    const auto ui = MakeQtProviderUi();
    brelmox::CFileVersion record;
    record.m_strFileName = "src\\main.c";
    record.m_strVersion = "4";
    std::vector<std::string> shown;
    const auto closeWith = [&shown](int button) {
        dialogtest::WhenModalOpens([&shown, button](QWidget* dialog) {
            shown.push_back(dialog->objectName().toStdString() + "|" +
                            dialog->windowTitle().toStdString());
            dialogtest::ClickButton(dialog, button);
        });
    };
    int fetches = 0;
    closeWith(kIdOk);
    ui->ShowHistory("src\\main.c", "/home/alice/shop/src/main.c", {record},
                    [&fetches](const std::string&, const std::string&) { ++fetches; });
    for (int button : {kIdOk, kIdCancel}) {
        closeWith(button);
        ui->ShowProperties(record);
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"CHistoryDlg|Versions of src\\main.c",
                                               "CSCCPropertiesDlg|SCC Properties",
                                               "CSCCPropertiesDlg|SCC Properties"}));
    EXPECT_EQ(fetches, 0);
}

TEST(QtProviderUiTest, ProgressWindowIsShownAtOnce) {
    if (!dialogtest::HaveApplication()) return;
    const auto progress = MakeQtProviderUi()->OpenProgress();
    const auto* window = dynamic_cast<QWidget*>(progress.get());
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->objectName().toStdString(), "CProgressTracker");
    EXPECT_FALSE(progress->CancelRequested());
}

}  // namespace
