// What the packing tests share: whole-file reads and writes, and a fresh folder per test
// that is also the current directory, where the zip tools and Python run.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

namespace brelmox {

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class FolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(mkdtemp(folder_.data()), nullptr);
        std::filesystem::current_path(folder_);
    }
    void TearDown() override {
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(folder_);
    }

  private:
    std::string folder_ = std::filesystem::temp_directory_path() / "brelmox-zip-test-XXXXXX";
    const std::filesystem::path previous_ = std::filesystem::current_path();
};

}  // namespace brelmox
