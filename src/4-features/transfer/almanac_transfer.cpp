#include "transfer/almanac_transfer.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include "base/application.h"
#include "commands/commands.h"
#include "main/main_form.h"
#include "platform/file_read.h"
#include "text/printf.h"
#include "transfer/alm_form.h"
#include "transfer/almanac_file.h"

namespace zelkon {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

constexpr int kDataFollows = 2;
constexpr int kBlockAcknowledged = 1;

// One transfer from start to end: the poll timers stopped, every packet through the transfer's own
// hook, and the log and progress of TForm_Alm.
class AlmanacTransfer {
 public:
  explicit AlmanacTransfer(Application& app)
      : app_(app),
        main_(app.Window<TForm_Main>()),
        form_(app.Window<TForm_Alm>()),
        pollWasOn_(main_.Timer_RXBIN.Enabled()),
        breakWasOn_(main_.TimerBreak.Enabled()) {
    // Nothing else reads the port or sends while the transfer runs.
    main_.Timer_RXBIN.SetEnabled(false);
    main_.TimerBreak.SetEnabled(false);
    form_.Show();
  }
  AlmanacTransfer(const AlmanacTransfer&) = delete;
  AlmanacTransfer& operator=(const AlmanacTransfer&) = delete;

  // Every exit path gives the poll loop back as it was.
  ~AlmanacTransfer() {
    app_.state.TransferCaptureFlag = false;
    main_.TimerBreak.SetEnabled(breakWasOn_);
    main_.Timer_RXBIN.SetEnabled(pollWasOn_);
  }

  void Log(const std::string& text) {
    form_.Memo_Alm.SetText(form_.Memo_Alm.Text() + text);
    app_.ui.Repaint();
  }

  void Progress(int done, int total) {
    form_.Label_Progress.SetCaption(Printf("Block %d of %d", done, total));
    app_.ui.Repaint();
  }

  void Pause(int ms) {
    app_.ui.Repaint();
    app_.clock.SleepMs(ms);
  }

  // The program is asked to end (SIGTERM, SIGINT): the transfer stops before its next block, and
  // a wait for an answer ends at its next slice.
  bool Stopping() const { return app_.StopRequested(); }

  // The last matching answer's operation byte; 0 until one came.
  int lastOperation = 0;
  // The data of the last matching answer.
  std::vector<uint8_t> lastData;

  // Reads until the 0x58 answer for `type` and `sv` arrives or kSystemDataAnswerMs have passed,
  // sleeping on the port between reads. Answers for another block, and 0x58 reports whose length
  // disagrees with their length byte, are passed over.
  bool WaitForSystemData(int type, int sv) {
    const int64_t deadline = app_.clock.NowMs() + kSystemDataAnswerMs;
    while (true) {
      app_.channel.ReadAndDispatch([this](const PacketReceiver& r) { TransferPacketHook(r); },
                                   true);
      if (app_.state.TransferCaptureFlag) {
        app_.state.TransferCaptureFlag = false;
        const std::optional<SystemDataAnswer> answer = ParseSystemDataAnswer(captured_);
        if (answer && answer->type == type && answer->sv == sv) {
          lastOperation = answer->operation;
          lastData = answer->data;
          return true;
        }
        continue;  // bytes of the same read after the capture were dropped: read again at once
      }
      const int64_t left = deadline - app_.clock.NowMs();
      if (left <= 0 || Stopping()) return false;
      app_.ui.Repaint();
      app_.channel.WaitForInput(static_cast<int>(std::min<int64_t>(left, kTransferRepaintMs)));
    }
  }

 private:
  // The packet handler while a transfer runs: the receive LED lights for every packet (which counts
  // as the newest, so the receiver is not silent once polling resumes), a 0x58 report is kept for
  // the wait, and nothing is decoded.
  void TransferPacketHook(const PacketReceiver& r) {
    main_.Shape_RxLED.SetBrushColor(colours::kGreen);
    app_.state.LastPacketMs = app_.clock.NowMs();
    if (r.Id() != 0x58) return;
    captured_.assign(r.Payload().begin(), r.Payload().end());
    app_.state.TransferCaptureFlag = true;
  }

  Application& app_;
  TForm_Main& main_;
  TForm_Alm& form_;
  bool pollWasOn_;
  bool breakWasOn_;
  std::vector<uint8_t> captured_;  // payload of the most recent 0x58 report
};

std::string RequestLine(int type, int sv) {
  switch (type) {
    case kHealthPageBlock:
      return "Almanac health page, t_oa, wn_oa requested...\r\n";
    case kAlmanacBlock:
      return Printf("SV %d almanac requested...\r\n", sv);
    case kIonosphereBlock:
      return "Ionospheric data requested...\r\n";
    default:
      return "UTC time data requested...\r\n";
  }
}

std::string LoadLine(const AlmanacBlock& block) {
  switch (block.type) {
    case kRawAlmanacBlock:
      return Printf("Almanac raw for SV %02d...\r\n", block.sv);
    case kAlmanacBlock:
      return Printf("Almanac data for SV %02d...\r\n", block.sv);
    case kHealthPageBlock:
      return "Almanac health page, t_oa, wn_oa... \r\n";
    case kIonosphereBlock:
      return "Ionosphere data... \r\n";
    default:
      return "UTC time correction data... \r\n";
  }
}

// Requests one block and appends it to `file`; false when it did not come or was not written.
bool RequestBlock(Application& app, AlmanacTransfer& transfer, std::FILE* file, int type, int sv) {
  // The health page request goes out before its line, the others after.
  if (type == kHealthPageBlock) {
    SendSystemDataRequest(app, type, sv);
    transfer.Log(RequestLine(type, sv));
  } else {
    transfer.Log(RequestLine(type, sv));
    SendSystemDataRequest(app, type, sv);
  }
  const bool answered = transfer.WaitForSystemData(type, sv);
  if (transfer.Stopping()) return false;
  if (!answered || transfer.lastOperation != kDataFollows) {
    transfer.Log("Data not available!\r\n");
    return false;
  }
  transfer.Log(Printf("   received, length = %d\r\n", static_cast<int>(transfer.lastData.size())));
  const std::optional<std::vector<uint8_t>> bytes =
      AlmanacBlockBytes({type, sv, transfer.lastData});
  if (!bytes || std::fwrite(bytes->data(), 1, bytes->size(), file) != bytes->size()) {
    transfer.Log("Couldn't write almanac data file!\r\n");
    return false;
  }
  return true;
}

bool DownloadBlocks(Application& app, AlmanacTransfer& transfer, std::FILE* file) {
  int done = 0;
  transfer.Progress(done, kAlmanacDownloadBlocks);
  const auto request = [&](int type, int sv) {
    if (!RequestBlock(app, transfer, file, type, sv)) return false;
    transfer.Progress(++done, kAlmanacDownloadBlocks);
    return true;
  };
  if (!request(kHealthPageBlock, 0)) return false;
  for (int sv = 1; sv <= kAlmanacSatellites; ++sv) {
    transfer.Pause(kAlmanacBlockPauseMs);
    if (transfer.Stopping() || !request(kAlmanacBlock, sv)) return false;
  }
  return request(kIonosphereBlock, 0) && request(kUtcBlock, 0);
}

void ControlDownloadAlmanacClick(Application& app) {
  const std::optional<std::string> path = app.dialogs.SaveFile(AlmanacFileDialog());
  if (!path) return;
  // A transfer the program's end stopped has said so in its log; the program is going.
  if (!DownloadAlmanac(app, *path) && !app.StopRequested()) {
    app.dialogs.MessageBox("Almanac download failed.", "Failure", Buttons::Ok, Icon::Exclamation);
  }
}

void ControlUploadAlmanacClick(Application& app) {
  const std::optional<std::string> path = app.dialogs.OpenFile(AlmanacFileDialog());
  if (!path) return;
  if (!UploadAlmanac(app, *path) && !app.StopRequested()) {
    app.dialogs.MessageBox("Almanac upload failed.", "Failure", Buttons::Ok, Icon::Exclamation);
  }
}

}  // namespace

bool DownloadAlmanac(Application& app, const std::string& fileName) {
  std::FILE* file = OpenForWriting(fileName);
  AlmanacTransfer transfer(app);
  if (file == nullptr) {
    transfer.Log("Couldn't open almanac data file!\r\n");
    return false;
  }
  bool result =
      std::fwrite(kAlmanacFileLead, 1, sizeof kAlmanacFileLead, file) == sizeof kAlmanacFileLead &&
      DownloadBlocks(app, transfer, file);
  transfer.Log(transfer.Stopping() ? "Almanac download stopped: the program is ending.\r\n"
                                   : "Almanac download complete.\r\n");
  // Closing flushes: a full disk shows only here.
  if (std::fclose(file) != 0) result = false;
  return result;
}

bool UploadAlmanac(Application& app, const std::string& fileName) {
  const FileRead file = ReadRegularFile(fileName, kAlmanacFileMaxBytes);
  AlmanacTransfer transfer(app);
  const auto refuse = [&transfer](const std::string& why) {
    transfer.Log("Almanac data file refused, nothing sent: " + why + "\r\n");
    return false;
  };
  if (!file.Read()) {
    transfer.Log("Couldn't open almanac data file!\r\n");
    return refuse(file.failure);
  }
  if (file.longer) {
    return refuse(
        Printf("larger than %zu bytes, far more than any almanac data file", kAlmanacFileMaxBytes));
  }
  // The whole file is checked before the first block goes out: a receiver is never left with part
  // of a damaged file.
  const AlmanacFileContents contents = ReadAlmanacFile(file.bytes);
  if (contents.faultKind == AlmanacFileFault::UnknownType) {
    transfer.Log("Unknown data block type! \r\n");
  } else if (contents.faultKind == AlmanacFileFault::NoEndMarker) {
    transfer.Log("End of block format error! \r\n");
  }
  if (!contents.fault.empty()) return refuse(contents.fault);
  // An empty file (or one of bytes outside any block) loads nothing: not a load that went well.
  if (contents.blocks.empty()) return refuse("the file holds no data block");

  const int total = static_cast<int>(contents.blocks.size());
  transfer.Progress(0, total);
  for (int i = 0; i < total; ++i) {
    const AlmanacBlock& block = contents.blocks[static_cast<size_t>(i)];
    transfer.Pause(kAlmanacBlockPauseMs);
    if (transfer.Stopping()) {
      transfer.Log(Printf(
          "Almanac upload stopped after %d of %d blocks: the program is ending.\r\n", i, total));
      return false;
    }
    transfer.Log(LoadLine(block));
    SendSystemDataLoad(app, block.type, block.sv, block.data);
    transfer.lastOperation = 0;
    const bool answered = transfer.WaitForSystemData(block.type, block.sv);
    transfer.Log(answered && transfer.lastOperation == kBlockAcknowledged
                     ? "   Data block acknowledged\r\n"
                     : "   Data block rejected\r\n");
    transfer.Progress(i + 1, total);
  }
  transfer.Log("System data load complete.\r\n");
  return true;
}

void WireAlmWindow(Application& app, TForm_Alm& form) {
  form.OnClose = [&form] {
    form.Memo_Alm.SetText("");
    form.Label_Progress.SetCaption("");
  };
  TForm_Main& main = app.Window<TForm_Main>();
  main.ControlDownloadAlmanac.OnClick = [&app] { ControlDownloadAlmanacClick(app); };
  main.ControlUploadAlmanac.OnClick = [&app] { ControlUploadAlmanacClick(app); };
}

}  // namespace zelkon
