// CSelectProject and CSetProject: the sorted project list, what each shows on opening, and
// the rule that decides what OK chooses.
#include <gtest/gtest.h>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest/QTest>
#include <functional>
#include <memory>

#include "scc/dialogs/select_project.h"
#include "scc/dialogs/set_project.h"
#include "scc/dialogs/tests/dialog_test_support.h"

namespace {

using namespace brelmoxscc;

using MakeDialog = std::function<std::unique_ptr<ProjectDialog>(const ProjectLister&)>;

struct Kind {
    const char* name;
    MakeDialog make;
};

const Kind kKinds[] = {
    {"CSelectProject",
     [](const ProjectLister& lister) { return std::make_unique<CSelectProject>(lister); }},
    {"CSetProject",
     [](const ProjectLister& lister) { return std::make_unique<CSetProject>(lister, ""); }},
};

QListWidget* List(QWidget* dialog) {
    return FindControl<QListWidget>(dialog, ProjectDialog::kIdProjectList);
}

std::string EditText(QWidget* dialog, int id) {
    return FindControl<QLineEdit>(dialog, id)->text().toStdString();
}

std::vector<std::string> Entries(QWidget* dialog) {
    std::vector<std::string> entries;
    for (int row = 0; row < List(dialog)->count(); ++row) {
        entries.push_back(List(dialog)->item(row)->text().toStdString());
    }
    return entries;
}

void SelectEntry(QWidget* dialog, const std::string& name) {
    const auto found = List(dialog)->findItems(QString::fromStdString(name), Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << "no entry " << name;
    List(dialog)->setCurrentItem(found.front());
}

TEST(ProjectDialogsTest, ListIsSortedWhateverOrderTheListerGives) {
    if (!dialogtest::HaveApplication()) return;
    const std::vector<std::string> sorted = {"alpha", "Beta", "gamma", "Web Site"};
    const std::vector<std::vector<std::string>> orders = {
        {"gamma", "Web Site", "Beta", "alpha"},
        {"Web Site", "gamma", "Beta", "alpha"},
        sorted,
    };
    for (const Kind& kind : kKinds) {
        for (const auto& order : orders) {
            SCOPED_TRACE(std::string(kind.name) + " from " + order.front());
            int calls = 0;
            const auto dialog = kind.make(dialogtest::ListerOf(order, &calls));
            EXPECT_EQ(calls, 1);
            EXPECT_EQ(Entries(dialog.get()), sorted);
        }
    }
}

TEST(ProjectDialogsTest, SelectProjectOpensWithEmptyEditsAndNoSelection) {
    if (!dialogtest::HaveApplication()) return;
    CSelectProject dialog(dialogtest::ListerOf({"Web Site", "Billing", "Mobile App", "Docs"}));
    dialog.show();
    EXPECT_EQ(EditText(&dialog, ProjectDialog::kIdName), "");
    EXPECT_EQ(EditText(&dialog, ProjectDialog::kIdDescription), "");
    EXPECT_TRUE(List(&dialog)->selectedItems().isEmpty());
    dialogtest::TypeInto(&dialog, ProjectDialog::kIdDescription, "Customer portal");
    SelectEntry(&dialog, "Mobile App");
    dialogtest::SavePicture(&dialog, "CSelectProject");
}

TEST(ProjectDialogsTest, SetProjectShowsTheNameAndSelectsTheFirstEntry) {
    if (!dialogtest::HaveApplication()) return;
    CSetProject dialog(dialogtest::ListerOf({"Web Site", "Billing", "Mobile App"}), "Inventory");
    dialog.show();
    EXPECT_EQ(EditText(&dialog, ProjectDialog::kIdName), "Inventory");
    ASSERT_EQ(List(&dialog)->selectedItems().size(), 1);
    EXPECT_EQ(List(&dialog)->selectedItems().front()->text().toStdString(), "Billing");
    dialogtest::TypeInto(&dialog, ProjectDialog::kIdDescription, "Stock and warehouses");
    dialogtest::SavePicture(&dialog, "CSetProject");
}

TEST(ProjectDialogsTest, TypedNameWinsOverTheSelection) {
    if (!dialogtest::HaveApplication()) return;
    struct Case {
        std::string typed;
        std::string selected;
        std::string chosen;
    };
    const Case cases[] = {
        {"Inventory", "Billing", "Inventory"},
        {"", "Billing", "Billing"},
        {"Inventory", "", "Inventory"},
    };
    for (const Kind& kind : kKinds) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(kind.name) + " typed '" + c.typed + "' selected '" +
                         c.selected + "'");
            const auto dialog = kind.make(dialogtest::ListerOf({"Web Site", "Billing"}));
            dialog->show();
            dialogtest::TypeInto(dialog.get(), ProjectDialog::kIdName, c.typed);
            dialogtest::TypeInto(dialog.get(), ProjectDialog::kIdDescription, "For the shop");
            List(dialog.get())->clearSelection();
            if (!c.selected.empty()) SelectEntry(dialog.get(), c.selected);
            dialogtest::ClickButton(dialog.get(), kIdOk);
            EXPECT_EQ(dialog->result(), QDialog::Accepted);
            EXPECT_EQ(dialog->Chosen(), c.chosen);
            EXPECT_EQ(dialog->Description(), "For the shop");
        }
    }
}

TEST(ProjectDialogsTest, OkWithNeitherNameNorSelectionAsksAndStaysOpen) {
    if (!dialogtest::HaveApplication()) return;
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        const auto dialog = kind.make(dialogtest::ListerOf({"Web Site"}));
        dialog->show();
        List(dialog.get())->clearSelection();
        bool asked = false;
        dialogtest::WhenModalOpens([&](QWidget* window) {
            auto* box = qobject_cast<QMessageBox*>(window);
            ASSERT_NE(box, nullptr) << "not a message box: " << window->objectName().toStdString();
            asked = true;
            EXPECT_EQ(box->windowTitle().toStdString(), "Brelmox");
            EXPECT_EQ(box->text().toStdString(), "Enter a new Project or select an existing one.");
            ASSERT_EQ(box->buttons().size(), 1);
            EXPECT_EQ(box->standardButton(box->buttons().front()), QMessageBox::Ok);
            dialogtest::SavePicture(box, "MessageBox");
            QTest::mouseClick(box->buttons().front(), Qt::LeftButton);
        });
        dialogtest::ClickButton(dialog.get(), kIdOk);
        EXPECT_TRUE(asked);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->Chosen(), "");
    }
}

}  // namespace
