// CCommandOptions: the command line shown, replaced by Browse, and handed back by OK.
#include <gtest/gtest.h>

#include "scc/dialogs/command_options.h"
#include "scc/dialogs/dialog_layout.h"
#include "scc/dialogs/tests/dialog_test_support.h"

namespace {

using brelmoxscc::CCommandOptions;

const char* const kStored = "/opt/compare/bin/cmp2 %s %s";

TEST(CommandOptionsTest, BrowseReplacesTheWholeLineWithTheQuotedProgram) {
    if (!dialogtest::HaveApplication()) return;
    struct Case {
        std::string picked;  // empty: the file dialog is cancelled
        std::string line;
    };
    const Case cases[] = {
        {"/home/alice/My Tools/compare", "\"/home/alice/My Tools/compare\""},
        {"", kStored},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.picked);
        CCommandOptions dialog(kStored);
        std::vector<dialogtest::PickerCall> picks;
        dialog.SetFilePicker(dialogtest::PickerAnswering(c.picked, &picks));
        dialog.show();
        EXPECT_EQ(brelmoxscc::EditText(&dialog, CCommandOptions::kIdCommandLine), kStored);
        dialogtest::ClickButton(&dialog, CCommandOptions::kIdBrowse);
        EXPECT_EQ(picks.size(), 1u);
        EXPECT_EQ(brelmoxscc::EditText(&dialog, CCommandOptions::kIdCommandLine), c.line);
        if (c.picked.empty()) dialogtest::SavePicture(&dialog, "CCommandOptions");
        dialogtest::ClickButton(&dialog, brelmoxscc::kIdOk);
        EXPECT_EQ(dialog.CommandLine(), c.line);
    }
}

}  // namespace
