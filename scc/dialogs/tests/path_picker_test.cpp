// The pickers that the dialogs use unless a test replaces them: Qt's own file dialogs,
// opening where asked, titled as asked, and handing back what the user chose.
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>

#include "scc/dialogs/path_picker.h"
#include "scc/dialogs/tests/dialog_test_support.h"

namespace {

using brelmoxscc::PathPicker;

TEST(PathPickerTest, QtDialogsOpenOnTheStartAndHandBackTheChoice) {
    if (!dialogtest::HaveApplication()) return;
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    ASSERT_TRUE(QDir(root.path()).mkdir("old"));
    QFile program(root.filePath("compare"));
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.close();

    struct Case {
        const char* name;
        PathPicker pick;
        QFileDialog::FileMode mode;
        QStringList filters;
        QString chosen;
    };
    const Case cases[] = {
        {"folder", brelmoxscc::PickFolder, QFileDialog::Directory, {}, root.filePath("old")},
        {"program",
         brelmoxscc::PickProgram,
         QFileDialog::ExistingFile,
         {"Programs (*)"},
         program.fileName()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const bool cancel : {true, false}) {
            dialogtest::WhenModalOpens([&c, &root, cancel](QWidget* window) {
                auto* dialog = qobject_cast<QFileDialog*>(window);
                ASSERT_NE(dialog, nullptr) << "not Qt's file dialog";
                EXPECT_EQ(dialog->windowTitle(), "Pick one");
                EXPECT_EQ(dialog->directory().absolutePath(), root.path());
                EXPECT_EQ(dialog->fileMode(), c.mode);
                if (c.mode == QFileDialog::Directory) {
                    EXPECT_TRUE(dialog->testOption(QFileDialog::ShowDirsOnly));
                } else {
                    EXPECT_EQ(dialog->nameFilters(), c.filters);
                }
                if (cancel) return dialog->reject();
                // Filled in at once, not key by key: the dialog's completer would take the
                // keys while its file list loads in the background.
                auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
                ASSERT_NE(name, nullptr);
                name->setText(c.chosen);
                QMetaObject::invokeMethod(dialog, "accept");
            });
            const QString picked = c.pick(nullptr, "Pick one", root.path());
            EXPECT_EQ(picked.toStdString(), cancel ? "" : c.chosen.toStdString());
        }
    }
}

}  // namespace
