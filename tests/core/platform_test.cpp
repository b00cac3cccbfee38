// The real implementations of the platform seams that need no toolkit.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/headless_dialogs.h"
#include "platform/ini_settings.h"
#include "platform/system_time.h"
#include "platform/time_feed.h"
#include "platform/ui_queue.h"

namespace zelkon {
namespace {

namespace fs = std::filesystem;

class IniSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) /
           ("ini_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string FileText(const fs::path& path) const {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  fs::path dir_;
};

TEST_F(IniSettings, MissingFileReadsNothingAndTheFirstWriteCreatesIt) {
  IniSettingsStore store((dir_ / "Kestrin" / "Zelkon.conf").string());
  EXPECT_EQ(store.Read("NTP"), std::nullopt);
  ASSERT_TRUE(store.Write("NTP", "1"));
  EXPECT_EQ(FileText(dir_ / "Kestrin" / "Zelkon.conf"), "[General]\nNTP=1\n");
  EXPECT_EQ(store.Read("NTP"), "1");
  ASSERT_TRUE(store.Write("NTP", "0"));
  EXPECT_EQ(store.Read("NTP"), "0");
  EXPECT_EQ(FileText(dir_ / "Kestrin" / "Zelkon.conf"), "[General]\nNTP=0\n");
}

TEST_F(IniSettings, OtherSectionsAndValuesSurviveAWrite) {
  fs::create_directories(dir_);
  const fs::path path = dir_ / "Zelkon.conf";
  std::ofstream(path) << "[Window]\nNTP=9\ngeometry=\"abc\"\n\n[General]\nOther = x\r\n";
  IniSettingsStore store(path.string());
  EXPECT_EQ(store.Read("NTP"), std::nullopt);  // only [General] counts
  EXPECT_EQ(store.Read("Other"), "x");
  ASSERT_TRUE(store.Write("NTP", "1"));
  EXPECT_EQ(FileText(path), "[Window]\nNTP=9\ngeometry=\"abc\"\n\n[General]\nOther = x\nNTP=1\n");
  EXPECT_EQ(store.Read("NTP"), "1");
}

TEST_F(IniSettings, EmptyValuesReadAsMissingAndUnwritableStoresReportFailure) {
  fs::create_directories(dir_);
  const fs::path path = dir_ / "Zelkon.conf";
  std::ofstream(path) << "[General]\nNTP=\n";
  IniSettingsStore store(path.string());
  EXPECT_EQ(store.Read("NTP"), std::nullopt);

  std::ofstream(dir_ / "file") << "not a directory";
  IniSettingsStore blocked((dir_ / "file" / "Zelkon.conf").string());
  EXPECT_FALSE(blocked.Write("NTP", "1"));
}

TEST(HeadlessDialogs, AnswersWithTheButtonThatSendsNothingAndSaysSo) {
  std::ostringstream out;
  HeadlessDialogs dialogs(out);
  EXPECT_EQ(dialogs.MessageBox("Do you really want to clear RAM?", "Cold reset?", Buttons::YesNo,
                               Icon::Question),
            Answer::No);
  EXPECT_EQ(dialogs.MessageBox("Save?", "Save All Segments", Buttons::OkCancel, Icon::Exclamation),
            Answer::Cancel);
  EXPECT_EQ(dialogs.MessageBox("PC time was set.", "Success", Buttons::Ok, Icon::None), Answer::Ok);
  EXPECT_EQ(dialogs.OpenFile({" ", ".dat", "Data Files (*.dat)|*.dat"}), std::nullopt);
  EXPECT_EQ(out.str(),
            "message box \"Cold reset?\": Do you really want to clear RAM? -> No\n"
            "message box \"Save All Segments\": Save? -> Cancel\n"
            "message box \"Success\": PC time was set. -> OK\n"
            "file dialog (Data Files (*.dat)|*.dat) -> Cancel\n");

  std::ostringstream lines;
  HeadlessDialogs multiLine(lines);
  multiLine.MessageBox("Lat: 1\nLon: 2", "Success", Buttons::Ok, Icon::None);
  EXPECT_EQ(lines.str(), "message box \"Success\": Lat: 1 | Lon: 2 -> OK\n");
}

// A name gives back the same name; the longest socket path a Unix address holds passes, one byte
// more is refused, as is every malformed name, each with its reason.
TEST(TimeFeedNames, ParseBackToTheSameNameOrSayWhatIsWrong) {
  const std::string longest = "/" + std::string(106, 's');
  for (const std::string& name : std::vector<std::string>{"sock:/run/chrony.gps.sock", "shm:0",
                                                          "shm:255", "sock:" + longest}) {
    const auto parsed = ParseTimeFeedName(name);
    ASSERT_TRUE(std::holds_alternative<TimeFeedAddress>(parsed)) << name;
    EXPECT_EQ(TimeFeedName(std::get<TimeFeedAddress>(parsed)), name);
  }
  const std::pair<std::string, std::string> refused[] = {
      {"sock:" + longest + "s", "the socket path is longer than 107 bytes"},
      {"sock:run/gps.sock", "the socket path must be absolute, not 'run/gps.sock'"},
      {"sock:", "the socket path is missing (sock:PATH)"},
      {"shm:256", "the unit must be a number from 0 to 255, not '256'"},
      {"shm:-1", "the unit must be a number from 0 to 255, not '-1'"},
      {"shm:", "the unit must be a number from 0 to 255, not ''"},
      {"/run/gps.sock", "a reference clock is written sock:PATH or shm:UNIT, not '/run/gps.sock'"},
  };
  for (const auto& [name, error] : refused) {
    const auto parsed = ParseTimeFeedName(name);
    EXPECT_EQ(std::holds_alternative<std::string>(parsed) ? std::get<std::string>(parsed) : "",
              error)
        << name;
  }
}

TEST(SystemClock, ReadsUtcAsTheCLibrarySeesIt) {
  PosixSystemTime clock;
  const std::time_t before = std::time(nullptr);
  const UtcTime now = clock.NowUtc();
  std::tm tm{};
  ::gmtime_r(&before, &tm);
  EXPECT_EQ(now.year, tm.tm_year + 1900);
  EXPECT_EQ(now.month, tm.tm_mon + 1);
  EXPECT_GE(now.day, 1);
  EXPECT_LE(now.day, 31);
  EXPECT_LT(now.hour, 24);
  EXPECT_LT(now.second, 61);
}

TEST(SteadyClock, SleepsAndIdleWaitsEndEarlyWhenWorkIsPosted) {
  SteadyClock clock;
  const int64_t start = clock.NowMs();
  clock.SleepMs(30);
  EXPECT_GE(clock.NowMs() - start, 30);

  UiQueue queue;
  std::thread poster([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    queue.Post([] {});
  });
  const int64_t waitStart = clock.NowMs();
  clock.IdleWait(10000, queue);
  EXPECT_LT(clock.NowMs() - waitStart, 5000);
  poster.join();
  EXPECT_EQ(queue.Drain(), 1);
}

}  // namespace
}  // namespace zelkon
