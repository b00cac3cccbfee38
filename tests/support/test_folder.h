// A folder of its own for a test that runs programs, removed with everything in it at the end,
// and the reading of the files they write.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace zelkon::testing {

// The whole file as text; empty when it cannot be read.
inline std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A fixture whose `dir_` is a new folder under the system's temporary folder, named after
// `prefix`.
class TestFolder : public ::testing::Test {
 protected:
  explicit TestFolder(std::string prefix) : prefix_(std::move(prefix)) {}
  void SetUp() override {
    std::string pattern = std::filesystem::temp_directory_path() / (prefix_ + "-XXXXXX");
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }

  std::filesystem::path dir_;

 private:
  std::string prefix_;
};

}  // namespace zelkon::testing
