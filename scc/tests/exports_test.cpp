// The provider as an IDE sees it: exactly the interface's entry points are visible, and
// the ones that answer fixed facts or do nothing behave on any arguments.
#include <gtest/gtest.h>

#include <set>

#include "scc/entry_points.h"
#include "scc/scc_api.h"
#include "scc/tests/loaded_provider.h"

namespace {

class ExportsTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(provider_.Loaded()) << provider_.Error(); }

    template <typename Function>
    Function* Find(const char* name) {
        void* symbol = provider_.Find(name);
        EXPECT_NE(symbol, nullptr) << name;
        return reinterpret_cast<Function*>(symbol);
    }

    scctest::LoadedProvider provider_;
};

TEST_F(ExportsTest, OnlyTheInterfacesEntryPointsAreVisible) {
    const std::set<std::string> exported = provider_.ExportedNames();
    const std::set<std::string> expected(std::begin(brelmoxscc::kEntryPoints),
                                         std::end(brelmoxscc::kEntryPoints));
    EXPECT_EQ(expected.size(), 40u);
    EXPECT_EQ(exported, expected);
}

TEST_F(ExportsTest, FixedAnswersAndEntryPointsThatDoNothing) {
    EXPECT_EQ(Find<decltype(SccGetVersion)>("SccGetVersion")(), 65539);

    BOOL flag = 1;
    EXPECT_EQ(
        Find<decltype(SccIsMultiCheckoutEnabled)>("SccIsMultiCheckoutEnabled")(nullptr, &flag),
        SCC_OK);
    EXPECT_EQ(flag, 0);
    auto* extended = Find<decltype(SccGetExtendedCapabilities)>("SccGetExtendedCapabilities");
    for (LONG capability : {1, 2, 0x100, 0x40000}) {
        flag = 1;
        EXPECT_EQ(extended(nullptr, capability, &flag), SCC_OK);
        EXPECT_EQ(flag, 0) << capability;
    }
    EXPECT_EQ(extended(nullptr, 1, nullptr), SCC_OK);

    static bool calledBack = false;
    LONG status = 77;
    const char* files[] = {"/w/a.c"};
    EXPECT_EQ(Find<decltype(SccPopulateList)>("SccPopulateList")(
                  nullptr, SCC_COMMAND_GET, 1, files,
                  [](void*, BOOL, LONG, LPCSTR) -> BOOL { return calledBack = true; }, nullptr,
                  &status, 0),
              SCC_OK);
    EXPECT_FALSE(calledBack);
    EXPECT_EQ(status, 77);
    BOOL willCreate = 5;
    EXPECT_EQ(Find<decltype(SccWillCreateSccFile)>("SccWillCreateSccFile")(nullptr, 1, files,
                                                                           &willCreate),
              SCC_OK);
    EXPECT_EQ(willCreate, 5);
}

TEST_F(ExportsTest, CallsWithoutAContextAreRefusedNotFollowed) {
    const char* files[] = {"/w/a.c", nullptr};
    EXPECT_EQ(Find<decltype(SccGet)>("SccGet")(nullptr, nullptr, 2, files, 0, nullptr),
              SCC_E_NONSPECIFICERROR);
    EXPECT_EQ(
        Find<decltype(SccCheckin)>("SccCheckin")(nullptr, nullptr, 1, files, nullptr, 0, nullptr),
        SCC_E_NONSPECIFICERROR);
    char project[301] = "Web";
    EXPECT_EQ(Find<decltype(SccOpenProject)>("SccOpenProject")(nullptr, nullptr, nullptr, project,
                                                               "/w", nullptr, nullptr, nullptr, 0),
              SCC_E_NONSPECIFICERROR);
    EXPECT_EQ(Find<decltype(SccUninitialize)>("SccUninitialize")(nullptr), SCC_OK);
    EXPECT_EQ(Find<decltype(SccInitialize)>("SccInitialize")(nullptr, nullptr, nullptr, nullptr,
                                                             nullptr, nullptr, nullptr, nullptr),
              SCC_E_INITIALIZEFAILED);
    LONG words[2] = {7, 7};
    EXPECT_EQ(Find<decltype(SccQueryInfo)>("SccQueryInfo")(nullptr, 2, files, words),
              SCC_E_NONSPECIFICERROR);
    EXPECT_EQ(words[0], 7);
    EXPECT_EQ(Find<decltype(SccDiff)>("SccDiff")(nullptr, nullptr, files[0], 0, nullptr),
              SCC_E_NONSPECIFICERROR);
}

}  // namespace
