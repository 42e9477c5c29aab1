// The IDE's questions about files' states: one request for all files, each state to its
// word, and the records of SccQueryInfoEx.
#include <vector>

#include "scc/status_queries.h"
#include "scc/tests/provider_fixture.h"
#include "test_support/answer_bytes.h"

namespace scctest {
namespace {

using brelmoxscc::QueryInfo;
using brelmoxscc::QueryInfoEx;

struct Seen {
    LONG size, reserved, flags;
    std::string path, version;
};

class StatusQueriesTest : public ProviderTest {
  protected:
    StatusQueriesTest() : context(LoggedIn()) {
        TextOut().clear();
        context.SetTextOut(RecordTextOut);
    }

    // Answers the next query with one pair per status, version "1", "2"...
    void Answer(const std::vector<int>& statuses) {
        std::string body = testsupport::StatusBody(0);
        for (size_t i = 0; i < statuses.size(); ++i) {
            body += testsupport::KeywordField("version_status:", std::to_string(statuses[i])) +
                    testsupport::KeywordField("version:", std::to_string(i + 1));
        }
        server.Enqueue(testsupport::Answer({testsupport::HttpResponse(body)}));
    }

    std::vector<std::string> Paths(size_t count) {
        std::vector<std::string> paths;
        for (size_t i = 0; i < count; ++i)
            paths.push_back(dir.Path("app/src/f" + std::to_string(i)));
        return paths;
    }

    static std::vector<LPCSTR> Pointers(const std::vector<std::string>& paths) {
        std::vector<LPCSTR> pointers;
        for (const std::string& path : paths) pointers.push_back(path.c_str());
        return pointers;
    }

    brelmoxscc::ProviderContext& context;
};

TEST_F(StatusQueriesTest, EachStateBecomesItsWordFromOneRequest) {
    const struct {
        std::vector<int> statuses;  // as many files as statuses, plus `extra` the answer omits
        size_t extra;
        std::vector<LONG> words;
        SCCRTN result;
    } cases[] = {
        {{-2026, -2008, -2010, -2001}, 0, {0x1003, 0x0007, 0x0001, 0x0000}, SCC_OK},
        {{-2017, -2009}, 0, {0, 0}, SCC_OK},
        {{0, -2010}, 0, {-1, 0x0001}, -1},
        {{-2002}, 0, {-1}, -1},
        {{-2010}, 1, {0x0001, -1}, -1},         // a file the answer left out
        {{-2010, -2010}, 0, {0x0001}, SCC_OK},  // a surplus pair is ignored
    };
    for (const auto& c : cases) {
        Answer(c.statuses);
        const std::vector<std::string> paths = Paths(c.words.size());
        std::vector<LONG> words(paths.size(), 77);
        const size_t before = server.RequestCount();
        EXPECT_EQ(QueryInfo(context, static_cast<LONG>(paths.size()), Pointers(paths).data(),
                            words.data()),
                  c.result);
        EXPECT_EQ(words, c.words) << ::testing::PrintToString(c.statuses);
        EXPECT_EQ(server.RequestCount() - before, 1u);
    }
    EXPECT_EQ(Field(1, "filepaths"), "src\\f0|src\\f1|src\\f2|src\\f3");
    EXPECT_EQ(Field(4, "filepaths"), "src\\f0");
}

TEST_F(StatusQueriesTest, FilesOutsideTheProjectAreNotControlledAndNotAsked) {
    Answer({-2026});
    const std::string outside = dir.Path("elsewhere/a.c");
    const std::string inside = dir.Path("app/.settings/x.cfg");
    const LPCSTR files[] = {outside.c_str(), inside.c_str(), nullptr};
    LONG words[3] = {77, 77, 77};
    EXPECT_EQ(QueryInfo(context, 3, files, words), SCC_OK);
    EXPECT_EQ(std::vector<LONG>(words, words + 3), (std::vector<LONG>{0, 0x1003, 0}));
    EXPECT_EQ(Field(1, "filepaths"), ".settings\\x.cfg");
    EXPECT_TRUE(ui.messages.empty());

    // Nothing to ask about: no request at all.
    EXPECT_EQ(QueryInfo(context, 1, files, words), SCC_OK);
    EXPECT_EQ(QueryInfo(context, 0, nullptr, nullptr), SCC_OK);
    EXPECT_EQ(server.RequestCount(), 2u);
}

// The paths travel joined by '|': one holding a '|' would split and shift every later
// file's state (bob's m.c not controlled, one's own check-out locked). No such name can be
// added, so it is not controlled and not asked about.
TEST_F(StatusQueriesTest, AFileWhoseNameHoldsABarShiftsNoOtherState) {
    Answer({-2008, -2026});
    const std::string bar = dir.Path("app/a|m.c"), theirs = dir.Path("app/m.c"),
                      mine = dir.Path("app/mine.c");
    const LPCSTR files[] = {bar.c_str(), theirs.c_str(), mine.c_str()};
    LONG words[3] = {77, 77, 77};
    EXPECT_EQ(QueryInfo(context, 3, files, words), SCC_OK);
    EXPECT_EQ(std::vector<LONG>(words, words + 3), (std::vector<LONG>{0, 0x0007, 0x1003}));
    EXPECT_EQ(Field(1, "filepaths"), "m.c|mine.c");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(StatusQueriesTest, ARefusedQueryLeavesTheWordsAndTellsTheOutputWindowWhy) {
    const struct {
        testsupport::ScriptedReply reply;
        std::vector<std::string> told;
    } cases[] = {
        {testsupport::StatusReply(-2014, "Invalid user name or password."), {"1 Invalid User"}},
        {testsupport::StatusReply(-2018, "Unknown project 'Web'."), {"1 Invalid Project"}},
        {testsupport::Answer({testsupport::HttpResponse("down", 503)}), {}},
    };
    const std::vector<std::string> paths = Paths(2);
    for (const auto& c : cases) {
        for (bool extended : {false, true}) {
            server.Enqueue(c.reply);
            TextOut().clear();
            LONG words[2] = {77, 77};
            int calls = 0;
            const SCCRTN result = extended ? QueryInfoEx(
                                                 context, 2, Pointers(paths).data(), words,
                                                 [](void* count, QueryInfoExRecord*) -> LONG {
                                                     ++*static_cast<int*>(count);
                                                     return 1;
                                                 },
                                                 &calls)
                                           : QueryInfo(context, 2, Pointers(paths).data(), words);
            EXPECT_EQ(result, -1);
            EXPECT_EQ(words[0], 77);
            EXPECT_EQ(calls, 0);
            EXPECT_EQ(TextOut(), c.told);
        }
    }
}

TEST_F(StatusQueriesTest, ExtendedQueryHandsOverEveryCheckedInFileUntilTheIdeStops) {
    static std::vector<Seen> seen;
    static size_t stopAt;
    auto callback = [](void*, QueryInfoExRecord* record) -> LONG {
        seen.push_back(
            {record->size, record->reserved1, record->flags, record->path, record->version});
        return seen.size() == stopAt ? 0 : 1;
    };
    const std::vector<std::string> paths = Paths(4);
    for (size_t stop : {size_t{0}, size_t{2}}) {
        seen.clear();
        stopAt = stop;
        Answer({-2010, -2026, -2010, -2010});
        LONG words[4] = {77, 77, 77, 77};
        EXPECT_EQ(QueryInfoEx(context, 4, Pointers(paths).data(), words, callback, nullptr),
                  stop == 0 ? SCC_OK : SCC_I_OPERATIONCANCELED);
        ASSERT_EQ(seen.size(), stop == 0 ? 3u : 2u);
        EXPECT_EQ(seen[0].size, 48);
        EXPECT_EQ(seen[0].reserved, 0);
        EXPECT_EQ(seen[0].flags, 1);
        EXPECT_EQ(seen[1].path, paths[2]);
        EXPECT_EQ(seen[1].version, "3");
        EXPECT_EQ(words[1], 0x1003);
        EXPECT_EQ(words[3], stop == 0 ? 0x0001 : 77);
    }
}

}  // namespace
}  // namespace scctest
