// The almanac transfers through the script console against the receiver emulator: a download
// holds every block the receiver sent, an upload into a fresh receiver gives it that almanac so a
// second download yields the same file, a receiver that does not answer ends each wait after its
// time bound, a damaged file (or none: empty, too large, a FIFO) is refused before anything is
// sent, and the program's stop request ends an upload between two blocks.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "e2e/console_rig.h"
#include "support/temp_path.h"
#include "transfer/alm_form.h"
#include "transfer/almanac_file.h"
#include "transfer/almanac_transfer.h"

namespace zelkon {
namespace {

using testing::ConsoleOnEmulator;
using testing::CountOf;
using testing::FileBytes;
using testing::PacketBytes;
using testing::QuickConsoleReceiver;
using testing::TestTempPath;
using testing::WriteFileBytes;

// A receiver that has no almanac of its own for a long time.
sim::SimOptions ReceiverWithoutAlmanac() {
  sim::SimOptions options = QuickConsoleReceiver();
  options.seed = 23;
  options.almanacSeconds = 100000;
  return options;
}

std::string DownloadScript(const std::string& path) {
  return "answer file " + path + "\nclick TForm_Main.ControlDownloadAlmanac\n";
}
std::string UploadScript(const std::string& path) {
  return "answer file " + path + "\nclick TForm_Main.ControlUploadAlmanac\n";
}

// What the window showed each time the transfer let it repaint.
struct RepaintLog {
  std::vector<std::string> progress;
  int pollTimerOnDuringTransfer = 0;
  int repaints = 0;

  void Watch(ConsoleOnEmulator& rig) {
    rig.app.ui.SetRepaintHandler([this, &rig] {
      ++repaints;
      const std::string& caption = rig.app.Form_Alm.Label_Progress.Caption();
      if (progress.empty() || progress.back() != caption) progress.push_back(caption);
      if (rig.app.Form_Main.Timer_RXBIN.Enabled()) ++pollTimerOnDuringTransfer;
    });
  }
};

TEST(AlmanacConsole, ADownloadUploadedIntoAFreshReceiverComesBackByteForByte) {
  const std::string first = TestTempPath("_first.dat");
  const std::string second = TestTempPath("_second.dat");

  ConsoleOnEmulator source;
  ASSERT_EQ(source.Run("wait 12\n"), kScriptPassed);
  ASSERT_TRUE(source.app.Form_Main.Timer_RXBIN.Enabled());
  RepaintLog shown;
  shown.Watch(source);
  source.port.delivered.clear();
  ASSERT_EQ(source.Run(DownloadScript(first) + R"(expect TForm_Alm.visible true
expect TForm_Alm.Label_Progress.text "Block 35 of 35"
)"),
            kScriptPassed)
      << source.err.str() << source.boxes.str();
  EXPECT_EQ(source.boxes.str().find("failed"), std::string::npos) << source.boxes.str();
  EXPECT_TRUE(source.app.Form_Main.Timer_RXBIN.Enabled()) << "the poll timer is started again";
  EXPECT_EQ(shown.pollTimerOnDuringTransfer, 0);
  // The window was drawn as the blocks came in, not only at the end.
  EXPECT_GE(shown.progress.size(), 36u);
  EXPECT_EQ(shown.progress.front(), "Block 0 of 35");
  EXPECT_EQ(shown.progress[17], "Block 17 of 35");

  // The file: two zero bytes, then one block per 0x58 answer the receiver sent, in the order
  // health page, SV 1..32, ionosphere, UTC, with the answers' data exactly.
  const std::vector<uint8_t> file = FileBytes(first);
  ASSERT_GE(file.size(), 2u);
  EXPECT_EQ(file[0], 0x00);
  EXPECT_EQ(file[1], 0x00);
  std::vector<PacketBytes> answers;
  for (PacketBytes& packet : testing::Deframe(source.port.delivered)) {
    if (packet[0] == 0x58) answers.push_back(std::move(packet));
  }
  ASSERT_EQ(answers.size(), 35u);
  std::vector<uint8_t> expected = {0x00, 0x00};
  for (size_t i = 0; i < answers.size(); ++i) {
    const PacketBytes& a = answers[i];
    const int type = i == 0 ? 3 : i <= 32 ? 2 : i == 33 ? 4 : 5;
    ASSERT_EQ(a[1], 2) << "answer " << i;
    ASSERT_EQ(a[2], type) << "answer " << i;
    ASSERT_EQ(a[3], type == 2 ? static_cast<int>(i) : 0) << "answer " << i;
    expected.push_back(0x82);
    expected.push_back(a[2]);
    if (type == 2) expected.push_back(a[3]);
    expected.insert(expected.end(), a.begin() + 4, a.end());  // length byte and data
    expected.push_back(0x83);
  }
  EXPECT_EQ(file, expected);
  const std::string& log = source.app.Form_Alm.Memo_Alm.Text();
  EXPECT_TRUE(
      log.starts_with("Almanac health page, t_oa, wn_oa requested...\r\n   received, "
                      "length = 34\r\nSV 1 almanac requested...\r\n"))
      << log;
  EXPECT_TRUE(
      log.ends_with("UTC time data requested...\r\n   received, length = 26\r\n"
                    "Almanac download complete.\r\n"))
      << log;

  // A receiver without an almanac takes the file: 35 loads carrying the file's data, each
  // acknowledged.
  ConsoleOnEmulator target(ReceiverWithoutAlmanac());
  ASSERT_EQ(target.Run("wait 5\n"), kScriptPassed);
  ASSERT_FALSE(target.receiver().AlmanacComplete());
  target.ForgetSent();
  ASSERT_EQ(target.Run(UploadScript(first)), kScriptPassed) << target.err.str();
  EXPECT_EQ(target.boxes.str().find("failed"), std::string::npos) << target.boxes.str();
  const AlmanacFileContents contents = ReadAlmanacFile(file);
  ASSERT_TRUE(contents.fault.empty()) << contents.fault;
  std::vector<PacketBytes> wantLoads;
  for (const AlmanacBlock& block : contents.blocks) {
    PacketBytes load = {0x38, 0x02, static_cast<uint8_t>(block.type),
                        static_cast<uint8_t>(block.sv), static_cast<uint8_t>(block.data.size())};
    load.insert(load.end(), block.data.begin(), block.data.end());
    wantLoads.push_back(load);
  }
  EXPECT_EQ(target.Sent(0x38), wantLoads);
  const std::string& uploadLog = target.app.Form_Alm.Memo_Alm.Text();
  EXPECT_EQ(CountOf(uploadLog, "   Data block acknowledged\r\n"), 35) << uploadLog;
  EXPECT_TRUE(
      uploadLog.starts_with("Almanac health page, t_oa, wn_oa... \r\n   Data block "
                            "acknowledged\r\nAlmanac data for SV 01...\r\n"))
      << uploadLog;
  EXPECT_TRUE(uploadLog.ends_with("System data load complete.\r\n")) << uploadLog;

  // The receiver now holds and reports the uploaded almanac.
  EXPECT_TRUE(target.receiver().AlmanacComplete());
  for (const AlmanacBlock& block : contents.blocks) {
    const std::vector<uint8_t>* held = target.receiver().LoadedSystemData(block.type, block.sv);
    ASSERT_NE(held, nullptr) << AlmanacBlockName(block.type, block.sv);
    EXPECT_EQ(*held, block.data) << AlmanacBlockName(block.type, block.sv);
  }
  // Closing the window clears its log; the next download logs afresh.
  ASSERT_EQ(target.Run("close TForm_Alm\nwait 1\n" + DownloadScript(second)), kScriptPassed)
      << target.err.str();
  EXPECT_EQ(target.boxes.str().find("failed"), std::string::npos) << target.boxes.str();
  EXPECT_TRUE(target.app.Form_Alm.Memo_Alm.Text().starts_with("Almanac health page"));
  EXPECT_EQ(FileBytes(second), file);

  std::remove(first.c_str());
  std::remove(second.c_str());
}

TEST(AlmanacConsole, AnUnansweredRequestEndsAfterTheTimeBoundAndLeavesTheBlocksBefore) {
  const std::string path = TestTempPath(".dat");
  ConsoleOnEmulator rig(ReceiverWithoutAlmanac());
  ASSERT_EQ(rig.Run("wait 5\n"), kScriptPassed);

  // The receiver answers "not available" at once: the download stops at the first request.
  ASSERT_EQ(rig.Run(DownloadScript(path)), kScriptPassed) << rig.err.str();
  EXPECT_NE(rig.boxes.str().find("\"Failure\": Almanac download failed."), std::string::npos)
      << rig.boxes.str();
  EXPECT_EQ(rig.app.Form_Alm.Memo_Alm.Text(),
            "Almanac health page, t_oa, wn_oa requested...\r\nData not available!\r\n"
            "Almanac download complete.\r\n");
  EXPECT_EQ(FileBytes(path), (std::vector<uint8_t>{0x00, 0x00}));
  EXPECT_TRUE(rig.app.Form_Main.Timer_RXBIN.Enabled());

  // With the link down nothing goes out and nothing answers: each wait ends on its time bound, by
  // waiting on the port, not by counting reads.
  ASSERT_EQ(rig.Run("close TForm_Alm\n"), kScriptPassed);
  rig.app.state.LinkReady = false;
  rig.ForgetSent();
  RepaintLog shown;
  shown.Watch(rig);
  const int64_t start = rig.clock.NowMs();
  ASSERT_EQ(rig.Run(DownloadScript(path)), kScriptPassed) << rig.err.str();
  const int64_t took = rig.clock.NowMs() - start;
  EXPECT_GE(took, kSystemDataAnswerMs);
  EXPECT_LT(took, kSystemDataAnswerMs + 200);
  EXPECT_TRUE(rig.Sent().empty());
  // The window was repainted through the wait, at least every kTransferRepaintMs.
  EXPECT_GE(shown.repaints, kSystemDataAnswerMs / kTransferRepaintMs);
  EXPECT_EQ(rig.app.Form_Alm.Memo_Alm.Text(),
            "Almanac health page, t_oa, wn_oa requested...\r\nData not available!\r\n"
            "Almanac download complete.\r\n");
  std::remove(path.c_str());
}

// A good file of three blocks, and what each damage makes of it.
TEST(AlmanacConsole, ADamagedFileIsRefusedBeforeAnythingIsSent) {
  const AlmanacBlock health{3, 0, std::vector<uint8_t>(34, 0x00)};
  const AlmanacBlock sv5{2, 5, std::vector<uint8_t>(39, 0x10)};
  const AlmanacBlock utc{5, 0, std::vector<uint8_t>(26, 0x83)};
  std::vector<uint8_t> good = {0x00, 0x00};
  for (const AlmanacBlock& block : {health, sv5, utc}) {
    const auto bytes = AlmanacBlockBytes(block);
    good.insert(good.end(), bytes->begin(), bytes->end());
  }
  // Offsets in `good`: health page at 2 (0x82 3 34 data 0x83: 38 bytes), SV 5 at 40 (0x82 2 5 39
  // data 0x83: 44 bytes), UTC at 84.
  ASSERT_EQ(good[40], 0x82);
  ASSERT_EQ(good[84], 0x82);

  struct Damage {
    const char* name;
    std::vector<uint8_t> file;
    const char* line;  // what the log says of it
  };
  const auto with = [&good](size_t at, uint8_t value) {
    std::vector<uint8_t> file = good;
    file[at] = value;
    return file;
  };
  std::vector<uint8_t> cut = good;
  cut.pop_back();
  std::vector<uint8_t> tooLong = {0x82, 0x02, 0x07, 96};
  tooLong.insert(tooLong.end(), 96, 0x55);
  tooLong.push_back(0x83);
  // Not an almanac file at all: nothing in it, nothing but bytes outside blocks, far too large.
  std::vector<uint8_t> huge(kAlmanacFileMaxBytes + 1, 0x00);
  huge.insert(huge.begin(), good.begin(), good.end());
  const std::vector<Damage> damages = {
      {"empty", {}, "refused, nothing sent: the file holds no data block\r\n"},
      {"no block", {0x00, 0x00, 0x83}, "refused, nothing sent: the file holds no data block\r\n"},
      {"over 1 MiB", huge,
       "refused, nothing sent: larger than 1048576 bytes, far more than any almanac data file\r\n"},
      {"last byte missing", cut,
       "refused, nothing sent: block 3 (UTC time correction data) at byte 84: the file ends "
       "inside the block\r\n"},
      {"unknown type", with(85, 7),
       "Unknown data block type! \r\nAlmanac data file refused, nothing sent: block 3 at byte 84: "
       "unknown data block type 7\r\n"},
      {"end marker replaced", with(83, 0x00),
       "End of block format error! \r\nAlmanac data file refused, nothing sent: block 2 (SV 05 "
       "almanac) at byte 40: no end of block marker\r\n"},
      {"SV 33", with(42, 33), "block 2 (SV 33 almanac) at byte 40: SV number 33 outside 1..32\r\n"},
      {"96 data bytes", tooLong,
       "block 1 (SV 07 almanac) at byte 0: 96 data bytes, more than the 95 a load command "
       "holds\r\n"},
  };

  ConsoleOnEmulator rig(ReceiverWithoutAlmanac());
  ASSERT_EQ(rig.Run("wait 3\n"), kScriptPassed);
  const std::string path = TestTempPath(".dat");
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.name);
    WriteFileBytes(path, damage.file);
    rig.ForgetSent();
    rig.boxes.str("");
    ASSERT_EQ(rig.Run(UploadScript(path)), kScriptPassed) << rig.err.str();
    EXPECT_TRUE(rig.app.Form_Alm.Memo_Alm.Text().ends_with(damage.line))
        << rig.app.Form_Alm.Memo_Alm.Text();
    EXPECT_TRUE(rig.Sent(0x38).empty());
    EXPECT_TRUE(
        rig.boxes.str().ends_with("message box \"Failure\": Almanac upload failed. -> OK\n"))
        << rig.boxes.str();
    EXPECT_TRUE(rig.app.Form_Main.Timer_RXBIN.Enabled());
    ASSERT_EQ(rig.Run("close TForm_Alm\n"), kScriptPassed);
  }
  EXPECT_EQ(rig.receiver().LoadedSystemData(2, 7), nullptr);

  // A FIFO (which nobody writes: opening it to read would wait for ever) and a directory are
  // refused at once.
  const std::string fifo = TestTempPath(".fifo");
  const std::string folder = TestTempPath(".dir");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  for (const auto& [name, why] :
       {std::pair{fifo, "not a regular file"}, std::pair{folder, "is a directory"}}) {
    rig.ForgetSent();
    ASSERT_EQ(rig.Run(UploadScript(name)), kScriptPassed) << rig.err.str();
    EXPECT_TRUE(rig.app.Form_Alm.Memo_Alm.Text().ends_with(
        std::string(
            "Couldn't open almanac data file!\r\nAlmanac data file refused, nothing sent: ") +
        why + "\r\n"))
        << rig.app.Form_Alm.Memo_Alm.Text();
    EXPECT_TRUE(rig.Sent(0x38).empty());
    ASSERT_EQ(rig.Run("close TForm_Alm\n"), kScriptPassed);
  }
  ::unlink(fifo.c_str());
  ::rmdir(folder.c_str());

  // The undamaged file goes out whole, with the bytes between blocks skipped.
  std::vector<uint8_t> padded = good;
  padded.insert(padded.begin() + 40, {0x01, 0x83, 0x00});
  WriteFileBytes(path, padded);
  rig.ForgetSent();
  ASSERT_EQ(rig.Run(UploadScript(path)), kScriptPassed);
  EXPECT_EQ(rig.Sent(0x38).size(), 3u);
  EXPECT_EQ(*rig.receiver().LoadedSystemData(5, 0), utc.data);
  EXPECT_EQ(CountOf(rig.app.Form_Alm.Memo_Alm.Text(), "acknowledged"), 3);
  std::remove(path.c_str());
}

// The program's stop request (SIGTERM) ends a long upload between two blocks: the log says so, no
// failure box is shown, and the poll loop is given back.
TEST(AlmanacConsole, TheProgramsStopRequestEndsAnUploadBetweenTwoBlocks) {
  constexpr int kBlocks = 10000;
  std::vector<uint8_t> file = {0x00, 0x00};
  const auto block = AlmanacBlockBytes({kIonosphereBlock, 0, std::vector<uint8_t>(39, 0x11)});
  for (int i = 0; i < kBlocks; ++i)
    file.insert(file.end(), block->begin(), block->end());
  const std::string path = TestTempPath(".dat");
  WriteFileBytes(path, file);

  ConsoleOnEmulator rig;
  ASSERT_EQ(rig.Run("wait 3\n"), kScriptPassed);
  std::atomic<bool> stop{false};
  rig.app.WatchStopRequest(stop);
  // The request comes while the window shows the third block loaded.
  rig.app.ui.SetRepaintHandler([&rig, &stop] {
    if (rig.app.Form_Alm.Label_Progress.Caption() == "Block 3 of 10000") stop = true;
  });
  rig.ForgetSent();
  ASSERT_EQ(rig.Run(UploadScript(path)), kScriptPassed) << rig.err.str();
  EXPECT_EQ(rig.Sent(0x38).size(), 3u);
  EXPECT_TRUE(rig.app.Form_Alm.Memo_Alm.Text().ends_with(
      "Almanac upload stopped after 3 of 10000 blocks: the program is ending.\r\n"))
      << rig.app.Form_Alm.Memo_Alm.Text();
  EXPECT_EQ(rig.boxes.str().find("failed"), std::string::npos) << rig.boxes.str();
  EXPECT_TRUE(rig.app.Form_Main.Timer_RXBIN.Enabled());
  std::remove(path.c_str());
}

}  // namespace
}  // namespace zelkon
