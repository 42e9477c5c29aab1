// Loading the configuration into the context, as the start-up and the provider do.
#include <gtest/gtest.h>

#include <memory>

#include "client/context.h"
#include "client/messages.h"
#include "client/tests/wire_fixture.h"
#include "platform/registry_file.h"
#include "test_support/recording_notifier.h"
#include "test_support/saved_registry_keys.h"

namespace brelmox {

namespace {

class ContextTest : public WireTest {
  protected:
    testsupport::SavedRegistryKeys savedKeys{
        {BuildKeyPath(msg::kConfigKey), BuildKeyPath(msg::kConnectionKey)}};
};

TEST_F(ContextTest, SavedValuesLoadBackAndOverlongOnesReadEmpty) {
    context.m_strPassword = std::string(127, 'p');
    context.m_strDiffCommand = std::string(128, 'd');  // does not fit the 128-byte buffer
    EXPECT_EQ(context.SaveConfig(), 0);
    const std::string connection = BuildKeyPath(msg::kConnectionKey);
    WriteRegString(connection, "URL", "example.org:8080");
    platform::RegSetValue(connection, "Secure", {platform::RegType::Binary, "\x01"});

    COstrelContext loaded;
    EXPECT_EQ(loaded.LoadConfig(), 0);
    EXPECT_EQ(loaded.m_strUsername, "alice");
    EXPECT_EQ(loaded.m_strPassword, std::string(127, 'p'));
    EXPECT_EQ(loaded.m_strOrganization, "Acme");
    EXPECT_EQ(loaded.m_strProject, "Web");
    EXPECT_EQ(loaded.m_strDiffCommand, "");
    EXPECT_EQ(loaded.m_strURL, "example.org:8080");
    EXPECT_EQ(loaded.m_bSecure, 1);
}

TEST_F(ContextTest, MissingKeyGivesMinusTwoWithTheOtherKeyStillRead) {
    COstrelContext empty;
    EXPECT_EQ(empty.LoadConfig(), -2);
    EXPECT_EQ(empty.m_strURL, "");

    const std::string connection = BuildKeyPath(msg::kConnectionKey);
    WriteRegString(connection, "URL", "example.org");
    // A flag of more than one byte is no flag.
    platform::RegSetValue(connection, "Secure", {platform::RegType::Binary, "\x01\x01"});
    COstrelContext partial;
    EXPECT_EQ(partial.LoadConfig(), -2);
    EXPECT_EQ(partial.m_strURL, "example.org");
    EXPECT_EQ(partial.m_bSecure, 0);
    EXPECT_EQ(partial.m_strUsername, "");
}

TEST(ContextNotifier, DefaultShowsOnlyMessagesAndOnStandardError) {
    COstrelContext fresh;
    COstrelContext restored;
    testsupport::NotifierLog log;
    restored.SetNotifier(std::make_unique<testsupport::RecordingNotifier>(&log));
    restored.SetNotifier(nullptr);
    for (COstrelContext* context : {&fresh, &restored}) {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        ReportMessage(*context, "Failed to connect to Brelmox\n");
        context->Notify().FileDone({FileAction::Get, 0, "", "/w/a.c", "Src/a.c", "a.c"});
        context->Notify().ProjectCreated("Mobile");
        context->Notify().LabelAttached("R1", "Web");
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "Failed to connect to Brelmox\n\n");
    }
    EXPECT_TRUE(log.messages.empty());
}

}  // namespace

}  // namespace brelmox
