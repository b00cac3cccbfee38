// A file path of the test's own in the temporary folder: ctest runs tests side by side, each in
// its own process, so the path carries the test's name and the process id.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

namespace zelkon::testing {

inline std::string TestTempPath(const std::string& extension) {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  return ::testing::TempDir() + test->test_suite_name() + "_" + test->name() + "_" +
         std::to_string(::getpid()) + extension;
}

}  // namespace zelkon::testing
