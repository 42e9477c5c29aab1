// The files a status asks about: the add walk's choice, each with its file's view path.
#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <utility>
#include <vector>

#include "client/local_files.h"
#include "test_support/temp_dir.h"

namespace brelmox {

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

TEST(CollectLocalFiles, MapsEachFileAsTheUploadWalkDoesAndAddsItsName) {
    testsupport::TempDir dir;
    for (const char* file : {"src/b.c", "src/a.c", "src/notes.txt", "src/util/c.c",
                             "src/util/deep/d.c", "src/zz/e.c"}) {
        dir.WriteFile(file, file);
    }
    const std::string src = dir.Path("src");
    struct Case {
        std::string viewPath;
        int recurse;
        int preserve;
        Pairs expected;  // local path below src, view path
    };
    const Case cases[] = {
        {"Src", 0, 0, {{"a.c", "Src\\a.c"}, {"b.c", "Src\\b.c"}}},
        {"Src\\/", 0, 1, {{"a.c", "Src\\a.c"}, {"b.c", "Src\\b.c"}}},
        {"", 0, 0, {{"a.c", "a.c"}, {"b.c", "b.c"}}},
        {"Src/",
         1,
         1,
         {{"a.c", "Src\\a.c"},
          {"b.c", "Src\\b.c"},
          {"util/c.c", "Src\\util\\c.c"},
          {"util/deep/d.c", "Src\\util\\deep\\d.c"},
          {"zz/e.c", "Src\\zz\\e.c"}}},
        {"Lib",
         1,
         0,
         {{"a.c", "Lib\\a.c"},
          {"b.c", "Lib\\b.c"},
          {"util/c.c", "Lib\\c.c"},
          {"util/deep/d.c", "Lib\\d.c"},
          {"zz/e.c", "Lib\\e.c"}}},
    };
    for (const Case& c : cases) {
        const LocalFiles files =
            CollectLocalFiles(src + "/*.c", src + "/*.c", c.viewPath, c.recurse, c.preserve);
        ASSERT_EQ(files.localPaths.size(), files.viewPaths.size()) << c.viewPath;
        Pairs got;
        for (size_t i = 0; i < files.localPaths.size(); ++i) {
            // The walk names local files the platform's way; the table spells them with '/'.
            std::string local = files.localPaths[i].substr(src.size() + 1);
            std::replace(local.begin(), local.end(), '\\', '/');
            got.emplace_back(local, files.viewPaths[i]);
        }
        EXPECT_EQ(got, c.expected)
            << "to '" << c.viewPath << "' -r " << c.recurse << " -p " << c.preserve;
    }
}

}  // namespace

}  // namespace brelmox
