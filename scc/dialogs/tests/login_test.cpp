// CLogin: what it shows on opening and what OK and Cancel hand back.
#include <gtest/gtest.h>
#include <QLineEdit>

#include "scc/dialogs/dialog_layout.h"
#include "scc/dialogs/login.h"
#include "scc/dialogs/tests/dialog_test_support.h"

namespace {

using brelmoxscc::CLogin;
using brelmoxscc::FindControl;
using brelmoxscc::LoginValues;

const LoginValues kStored = {"Acme Tools", "alice", "s3cret"};

std::string EditText(const CLogin& dialog, int id) {
    return FindControl<QLineEdit>(&dialog, id)->text().toStdString();
}

TEST(LoginTest, OpensWithTheStoredValuesAndFocusOnTheOrganization) {
    if (!dialogtest::HaveApplication()) return;
    CLogin dialog(kStored);
    dialog.show();
    EXPECT_EQ(EditText(dialog, CLogin::kIdOrganization), "Acme Tools");
    EXPECT_EQ(EditText(dialog, CLogin::kIdUsername), "alice");
    EXPECT_EQ(EditText(dialog, CLogin::kIdPassword), "s3cret");
    EXPECT_EQ(dialog.focusWidget(), FindControl<QLineEdit>(&dialog, CLogin::kIdOrganization));
    EXPECT_EQ(FindControl<QLineEdit>(&dialog, CLogin::kIdPassword)->echoMode(),
              QLineEdit::Password);
    EXPECT_EQ(FindControl<QLineEdit>(&dialog, CLogin::kIdUsername)->echoMode(), QLineEdit::Normal);
    dialogtest::SavePicture(&dialog, "CLogin");
}

TEST(LoginTest, OkCopiesTheEditsAndCancelCopiesNothing) {
    if (!dialogtest::HaveApplication()) return;
    struct Case {
        int button;
        QDialog::DialogCode result;
        LoginValues values;
    };
    const Case cases[] = {
        {brelmoxscc::kIdOk, QDialog::Accepted, {"Borealis", "bob", "pa ss\"1"}},
        {brelmoxscc::kIdCancel, QDialog::Rejected, kStored},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        CLogin dialog(kStored);
        dialog.show();
        dialogtest::TypeInto(&dialog, CLogin::kIdOrganization, "Borealis");
        dialogtest::TypeInto(&dialog, CLogin::kIdUsername, "bob");
        dialogtest::TypeInto(&dialog, CLogin::kIdPassword, "pa ss\"1");
        dialogtest::ClickButton(&dialog, c.button);
        EXPECT_EQ(dialog.result(), c.result);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.Values().organization, c.values.organization);
        EXPECT_EQ(dialog.Values().username, c.values.username);
        EXPECT_EQ(dialog.Values().password, c.values.password);
    }
}

}  // namespace
