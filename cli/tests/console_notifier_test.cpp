// What the console program prints for each thing the library reports, byte for byte.
#include "cli/console_notifier.h"

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <string>

namespace {

using brelmox::FileAction;
using brelmox::FileOutcome;

std::string Printed(const std::function<void(ConsoleNotifier&)>& report) {
    ConsoleNotifier console;
    testing::internal::CaptureStdout();
    report(console);
    std::cout.flush();
    return testing::internal::GetCapturedStdout();
}

TEST(ConsoleNotifier, EachOutcomeIsOneLineAndARefusalIsTheServersText) {
    const std::pair<FileOutcome, std::string> cases[] = {
        {{FileAction::Add, 0, "", "/w/a.c", "Src", "a.c"}, "File '/w/a.c' added to 'Src'.\n"},
        {{FileAction::Checkin, 0, "", "/w/a.c", "Src", "a.c"},
         "File '/w/a.c' checked in to 'Src'.\n"},
        {{FileAction::Get, 0, "", "/w/a.c", "Src/a.c", "a.c"},
         "File 'Src/a.c' saved in '/w/a.c'.\n"},
        {{FileAction::Checkout, 0, "", "/w/a.c", "Src/a.c", "a.c"},
         "File 'Src/a.c' checked out to '/w/a.c'.\n"},
        {{FileAction::Uncheckout, 0, "", "", "Src", "a.c"},
         "File 'a.c' unchecked out from 'Src'.\n"},
        {{FileAction::Uncheckout, 0, "", "", "", "a.c"}, "File 'a.c' unchecked out from root.\n"},
        {{FileAction::Remove, 0, "", "", "Src", "a.c"}, "File 'a.c' removed from 'Src'.\n"},
        {{FileAction::Remove, 0, "", "", "", "a.c"}, "File 'a.c' removed from root.\n"},
        {{FileAction::Get, -2002, "No file matches 'x'.", "/w", "x", ""}, "No file matches 'x'.\n"},
        {{FileAction::Checkin, -2011, "a.c is unchanged", "/w/a.c", "Src", ""},
         "a.c is unchanged\n"},
    };
    for (const auto& [outcome, line] : cases) {
        EXPECT_EQ(Printed([&](ConsoleNotifier& console) { console.FileDone(outcome); }), line);
    }
}

TEST(ConsoleNotifier, MessagesProjectsAndLabelsAreLinesOfTheirOwn) {
    EXPECT_EQ(Printed([](ConsoleNotifier& console) {
                  // A text that ends in a line feed leaves an empty line after it.
                  console.Message("Failed to connect to Brelmox\n");
                  console.Message("Invalid user");
                  console.ProjectCreated("Mobile");
                  console.LabelAttached("R1", "Web");
              }),
              "Failed to connect to Brelmox\n\nInvalid user\nCreated Project 'Mobile'.\n"
              "Label 'R1' attached to checked in files in Project 'Web'.\n");
}

}  // namespace
