// The packet recording window through the script console against the receiver emulator: the file
// holds exactly the packets the monitor dispatched while recording was on, is a valid stream up to
// its last flush while the recording still runs, nothing is recorded when the file cannot be had,
// and a write that fails stops the recording, leaves whole packets only and says why.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "e2e/console_rig.h"
#include "support/temp_path.h"

namespace zelkon {
namespace {

using testing::ConsoleOnEmulator;
using testing::CountOf;
using testing::Deframe;
using testing::PacketBytes;

class RecordingConsole : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = testing::TestTempPath(".rxb");
    std::remove(path_.c_str());
  }
  void TearDown() override { std::remove(path_.c_str()); }

  // Mark of the bytes the monitor has read so far.
  size_t ReadMark() const { return rig.port.delivered.size(); }
  // The packets the monitor dispatched between two marks: those the receive state machine
  // completes after the first mark's bytes and by the second's.
  std::vector<PacketBytes> DispatchedBetween(size_t from, size_t to) const {
    const std::vector<uint8_t>& read = rig.port.delivered;
    const std::vector<PacketBytes> before = Deframe({read.begin(), read.begin() + from});
    std::vector<PacketBytes> upTo = Deframe({read.begin(), read.begin() + to});
    upTo.erase(upTo.begin(), upTo.begin() + static_cast<std::ptrdiff_t>(before.size()));
    return upTo;
  }

  ConsoleOnEmulator rig;
  std::string path_;
};

// True when `part` is the beginning of `whole`.
bool IsPrefix(const std::vector<PacketBytes>& part, const std::vector<PacketBytes>& whole) {
  return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

TEST_F(RecordingConsole, TheFileHoldsThePacketsDispatchedBetweenStartAndStop) {
  ASSERT_EQ(rig.Run("open TForm_LogRxbin\n"
                    "expect TForm_LogRxbin.Label_OnOff.text Off\n"
                    "expect TForm_LogRxbin.Shape_OnOff.colour #808080\n"
                    "expect TForm_LogRxbin.Edit_Filename.text \"\"\n"
                    "answer file " +
                    path_ +
                    "\n"
                    "click TForm_LogRxbin.Button_Open\n"
                    "expect TForm_LogRxbin.Edit_Filename.text " +
                    path_ +
                    "\n"
                    "click TForm_LogRxbin.Button_Start\n"
                    "expect TForm_LogRxbin.Label_OnOff.text On\n"
                    "expect TForm_LogRxbin.Shape_OnOff.colour #00FF00\n"
                    "expect TForm_LogRxbin.Button_Open.enabled false\n"
                    "expect TForm_LogRxbin.Button_Start.enabled false\n"),
            kScriptPassed)
      << rig.err.str() << rig.boxes.str();
  const size_t started = ReadMark();

  // While recording, the file on disk is a valid stream of whole packets at least up to the last
  // flush (after every 21st packet); a packet the stream has not written out yet is simply missing.
  ASSERT_EQ(rig.Run("wait 7\n"), kScriptPassed) << rig.err.str();
  const size_t soFar = DispatchedBetween(started, ReadMark()).size();
  ASSERT_GT(soFar, 21u);
  const std::vector<PacketBytes> cutOff = Deframe(testing::FileBytes(path_));
  EXPECT_GE(cutOff.size(), soFar / 21 * 21);

  // Closing the window keeps recording; opened again it shows "On".
  ASSERT_EQ(rig.Run("close TForm_LogRxbin\n"
                    "wait 5\n"
                    "open TForm_LogRxbin\n"
                    "expect TForm_LogRxbin.Label_OnOff.text On\n"
                    "wait 3\n"
                    "click TForm_LogRxbin.Button_Stop\n"
                    "expect TForm_LogRxbin.Label_OnOff.text Off\n"
                    "expect TForm_LogRxbin.Shape_OnOff.colour #808080\n"
                    "expect TForm_LogRxbin.Button_Open.enabled true\n"
                    "expect TForm_LogRxbin.Button_Start.enabled true\n"),
            kScriptPassed)
      << rig.err.str() << rig.boxes.str();
  const size_t stopped = ReadMark();
  EXPECT_FALSE(rig.app.recording.Active);
  EXPECT_FALSE(rig.app.recording.File.IsOpen());

  const std::vector<PacketBytes> recorded = Deframe(testing::FileBytes(path_));
  // The window says what the file holds and how long the recording ran (about 15 s).
  const std::string written = rig.app.Form_LogRxbin.Label_Written.Caption();
  EXPECT_EQ(
      written.rfind(std::to_string(recorded.size()) + " packets, " +
                        std::to_string(testing::FileBytes(path_).size()) + " bytes in 00:00:1",
                    0),
      0u)
      << written;
  const std::vector<PacketBytes> dispatched = DispatchedBetween(started, stopped);
  ASSERT_GT(dispatched.size(), 60u);
  EXPECT_EQ(recorded, dispatched);
  EXPECT_TRUE(IsPrefix(cutOff, recorded));
  // The receiver's timing reports and satellite reports are among them, 0x10 bytes and all.
  const auto count = [&](uint8_t id, int subCode) {
    return std::count_if(recorded.begin(), recorded.end(), [&](const PacketBytes& p) {
      return p[0] == id && (subCode < 0 || (p.size() > 1 && p[1] == subCode));
    });
  };
  EXPECT_GE(count(0x8F, 0xAB), 15);
  EXPECT_GE(count(0x5C, -1), 10);
  EXPECT_TRUE(std::any_of(recorded.begin(), recorded.end(), [](const PacketBytes& p) {
    return std::find(p.begin() + 1, p.end(), 0x10) != p.end();
  }));

  // Nothing more is written after Stop; a second Start replaces the file with a new recording.
  ASSERT_EQ(rig.Run("wait 2\n"), kScriptPassed);
  EXPECT_EQ(Deframe(testing::FileBytes(path_)), recorded);
  ASSERT_EQ(rig.Run("click TForm_LogRxbin.Button_Start\n"), kScriptPassed);
  const size_t restarted = ReadMark();
  ASSERT_EQ(rig.Run("wait 3\nclick TForm_LogRxbin.Button_Stop\n"), kScriptPassed);
  const std::vector<PacketBytes> second = DispatchedBetween(restarted, ReadMark());
  ASSERT_FALSE(second.empty());
  EXPECT_EQ(Deframe(testing::FileBytes(path_)), second);

  // A typed name works as a chosen one; typed over an existing file, it is replaced only once the
  // operator agrees.
  const std::string typed = path_ + ".typed";
  std::ofstream(typed) << "keep";
  ASSERT_EQ(rig.Run("set TForm_LogRxbin.Edit_Filename \" " + typed +
                    " \"\n"
                    "answer no\n"
                    "click TForm_LogRxbin.Button_Start\n"
                    "expect TForm_LogRxbin.Label_OnOff.text Off\n"
                    "answer yes\n"
                    "click TForm_LogRxbin.Button_Start\n"
                    "expect TForm_LogRxbin.Label_OnOff.text On\n"
                    "expect TForm_LogRxbin.Edit_Filename.enabled false\n"
                    "wait 2\n"
                    "click TForm_LogRxbin.Button_Stop\n"),
            kScriptPassed)
      << rig.err.str() << rig.boxes.str();
  EXPECT_EQ(testing::CountOf(rig.boxes.str(), "already exists. | Do you want to replace it? -> "),
            2)
      << rig.boxes.str();
  EXPECT_FALSE(Deframe(testing::FileBytes(typed)).empty());
  std::remove(typed.c_str());
}

TEST_F(RecordingConsole, WithoutAFileThatCanBeCreatedStartSaysSoAndRecordsNothing) {
  const std::string unreachable = ::testing::TempDir() + "no-such-folder/record.rxb";
  ASSERT_EQ(rig.Run("open TForm_LogRxbin\n"
                    // Stop while off changes nothing.
                    "click TForm_LogRxbin.Button_Stop\n"
                    "expect TForm_LogRxbin.Label_OnOff.text Off\n"
                    "click TForm_LogRxbin.Button_Start\n"
                    "expect TForm_LogRxbin.Label_OnOff.text Off\n"
                    "expect TForm_LogRxbin.Button_Start.enabled true\n"
                    // A cancelled dialog keeps the (empty) choice.
                    "click TForm_LogRxbin.Button_Open\n"
                    "expect TForm_LogRxbin.Edit_Filename.text \"\"\n"
                    "answer file " +
                    unreachable +
                    "\n"
                    "click TForm_LogRxbin.Button_Open\n"
                    "click TForm_LogRxbin.Button_Start\n"
                    "expect TForm_LogRxbin.Label_OnOff.text Off\n"
                    "expect TForm_LogRxbin.Shape_OnOff.colour #808080\n"
                    "expect TForm_LogRxbin.Button_Open.enabled true\n"
                    "expect TForm_LogRxbin.Button_Start.enabled true\n"
                    "wait 3\n"),
            kScriptPassed)
      << rig.err.str() << rig.boxes.str();
  const std::string boxes = rig.boxes.str();
  const size_t noFile = boxes.find("message box \"Error\": No RXBIN file selected. -> OK");
  const size_t cannotOpen =
      boxes.find("message box \"Error\": Unable to open data record file. -> OK");
  ASSERT_NE(noFile, std::string::npos) << boxes;
  ASSERT_NE(cannotOpen, std::string::npos) << boxes;
  EXPECT_LT(noFile, cannotOpen);
  EXPECT_FALSE(rig.app.recording.Active);
  EXPECT_FALSE(rig.app.recording.File.IsOpen());
  EXPECT_FALSE(std::ifstream(unreachable).good());

  // A FIFO that nobody reads is refused at once, not waited on for ever; so is it for the almanac.
  const std::string fifo = testing::TestTempPath(".fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  ASSERT_EQ(rig.Run("answer file " + fifo + "\nclick TForm_LogRxbin.Button_Open\n" +
                    "click TForm_LogRxbin.Button_Start\n" +
                    "expect TForm_LogRxbin.Label_OnOff.text Off\n" + "answer file " + fifo +
                    "\nclick TForm_Main.ControlDownloadAlmanac\n"),
            kScriptPassed)
      << rig.err.str();
  EXPECT_EQ(testing::CountOf(rig.boxes.str(), "Unable to open data record file."), 2)
      << rig.boxes.str();
  EXPECT_NE(rig.boxes.str().find("Almanac download failed."), std::string::npos) << rig.boxes.str();
  std::remove(fifo.c_str());
}

const std::string kStartOn =
    "click TForm_LogRxbin.Button_Open\n"
    "click TForm_LogRxbin.Button_Start\n"
    "expect TForm_LogRxbin.Label_OnOff.text On\n";
// The window shows the recording stopped, as Stop leaves it.
const std::string kShowsOff =
    "expect TForm_LogRxbin.Label_OnOff.text Off\n"
    "expect TForm_LogRxbin.Shape_OnOff.colour #808080\n"
    "expect TForm_LogRxbin.Button_Open.enabled true\n"
    "expect TForm_LogRxbin.Button_Start.enabled true\n";

// Every write to /dev/full fails with ENOSPC: at the first flush (the 21st packet) the recording
// stops, and the message log and one box say why, though packets go on coming.
TEST_F(RecordingConsole, AWriteThatFailsStopsTheRecordingAndSaysWhy) {
  ASSERT_EQ(rig.Run("open TForm_LogRxbin\nanswer file /dev/full\n" + kStartOn + "wait 10\n" +
                    kShowsOff + "click TForm_LogRxbin.Button_Stop\nwait 2\n"),
            kScriptPassed)
      << rig.err.str() << rig.boxes.str();
  const std::string why =
      "Recording to /dev/full stopped: No space left on device. The file keeps 0 bytes (0 "
      "packets).";
  EXPECT_EQ(CountOf(rig.boxes.str(), "message box \"Error\": " + why + " -> OK"), 1)
      << rig.boxes.str();
  EXPECT_EQ(CountOf(rig.app.Form_Message.Memo_Pad.Text(), "Z " + why + "\r\n"), 1)
      << rig.app.Form_Message.Memo_Pad.Text();
  EXPECT_FALSE(rig.app.recording.Active);
  EXPECT_FALSE(rig.app.recording.File.IsOpen());
  EXPECT_EQ(rig.app.recording.Failures, 1u);
}

// A file that may grow only so far (RLIMIT_FSIZE, set in a child process so that nothing else is
// limited): the flush that crosses the limit is taken in part and then refused with EFBIG. The
// file is cut back to its last whole packet, and the box says how much it keeps.
TEST_F(RecordingConsole, AFileThatFillsUpIsCutBackToItsLastWholePacket) {
  constexpr rlim_t kLimit = 3000;
  int report[2];
  ASSERT_EQ(::pipe(report), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(report[0]);
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{kLimit, kLimit};
    const bool limited = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    const int ran = rig.Run("open TForm_LogRxbin\nanswer file " + path_ + "\n" + kStartOn +
                            "wait 10\n" + kShowsOff);
    const std::string said = (limited ? "" : "no limit\n") + rig.err.str() + rig.boxes.str();
    const bool told = ::write(report[1], said.data(), said.size()) == ssize_t(said.size());
    ::_exit(limited && ran == kScriptPassed && told ? 0 : 1);
  }
  ::close(report[1]);
  // What the child says, within 60 s.
  std::string said;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  for (char buffer[4096]; std::chrono::steady_clock::now() < deadline;) {
    pollfd readable{report[0], POLLIN, 0};
    if (::poll(&readable, 1, 100) <= 0) continue;
    const ssize_t n = ::read(report[0], buffer, sizeof buffer);
    if (n <= 0) break;
    said.append(buffer, static_cast<size_t>(n));
  }
  ::close(report[0]);
  if (std::chrono::steady_clock::now() >= deadline) ::kill(child, SIGKILL);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << said;

  const std::vector<uint8_t> file = testing::FileBytes(path_);
  const std::vector<PacketBytes> packets = Deframe(file);
  std::vector<uint8_t> whole;
  for (const PacketBytes& packet : packets) {
    const std::vector<uint8_t> frame = testing::Frame(packet);
    whole.insert(whole.end(), frame.begin(), frame.end());
  }
  EXPECT_EQ(whole, file) << "the file ends in a torn packet";
  EXPECT_GT(packets.size(), 21u);
  EXPECT_LT(file.size(), kLimit);
  const std::string why = "Recording to " + path_ + " stopped: File too large. The file keeps " +
                          std::to_string(file.size()) + " bytes (" +
                          std::to_string(packets.size()) + " packets).";
  EXPECT_EQ(CountOf(said, "message box \"Error\": " + why + " -> OK"), 1) << said;
}

}  // namespace
}  // namespace zelkon
