// The position transfer through the script console against the receiver emulator: the position a
// receiver holds, downloaded to a file and uploaded from it, puts the receiver back where it was to
// the precision of the command's singles; a field or a file that holds no position an antenna can
// have is refused with its box and nothing is sent.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "e2e/console_rig.h"
#include "link/codec.h"
#include "reports/timing.h"
#include "support/temp_path.h"
#include "text/angles.h"
#include "text/numbers.h"
#include "transfer/position_transfer.h"

namespace zelkon {
namespace {

using testing::ConsoleOnEmulator;
using testing::FileBytes;
using testing::PacketBytes;
using testing::TestTempPath;
using testing::WriteFileBytes;

std::string FileText(const std::string& path) {
  const std::vector<uint8_t> bytes = FileBytes(path);
  return {bytes.begin(), bytes.end()};
}

// Half the step between `value` and the next single away from zero.
double HalfStep(float value) {
  const float away =
      std::nextafter(value, std::copysign(std::numeric_limits<float>::infinity(), value));
  return std::fabs(double{away} - double{value}) / 2;
}

// How far `value` lies from the nearest midpoint between two singles, where rounding turns.
double FromMidpoint(double value) {
  const float nearest = static_cast<float>(value);
  return HalfStep(nearest) - std::fabs(value - double{nearest});
}

// The position of the newest supplemental timing report the receiver sent.
std::optional<TimingSupplemental> NewestReported(const ConsoleOnEmulator& rig) {
  std::optional<TimingSupplemental> newest;
  for (const PacketBytes& packet : testing::Deframe(rig.port.delivered)) {
    if (packet[0] != 0x8F) continue;
    auto report = ParseTimingSupplemental(std::span<const uint8_t>(packet).subspan(1));
    if (report) newest = report;
  }
  return newest;
}

TEST(PositionConsole, ADownloadedPositionUploadedFromItsFilePutsTheReceiverBackWhereItWas) {
  const std::string path = TestTempPath(".dat");
  const std::string nanPath = TestTempPath("_nan.dat");
  ConsoleOnEmulator rig;
  // After its survey (60 fixes, done within 90 s) the receiver holds the mean of its fixes, in
  // doubles.
  ASSERT_EQ(rig.Run("wait 90\n"), kScriptPassed) << rig.err.str();
  ASSERT_TRUE(rig.receiver().PositionHeld());
  const sim::Fix original = rig.receiver().Position();

  ASSERT_EQ(
      rig.Run("click TForm_Main.ControlDownloadPos\nanswer file " + path + "\nanswer ok\nwait 2\n"),
      kScriptPassed)
      << rig.err.str();
  const std::string written = FileText(path);
  const std::optional<PositionRecord> file = ParsePositionRecord(written);
  ASSERT_TRUE(file) << written;
  EXPECT_EQ(file->kind, 0);
  // The degrees to 9 decimals, the metres to 3.
  EXPECT_NEAR(file->a, original.latitude * DegreesPerRadian, 5e-10) << written;
  EXPECT_NEAR(file->b, original.longitude * DegreesPerRadian, 5e-10) << written;
  EXPECT_NEAR(file->c, original.altitude, 5e-4) << written;
  EXPECT_NE(rig.boxes.str().find("message box \"Success\": Position successfully downloaded."),
            std::string::npos)
      << rig.boxes.str();

  // Elsewhere now, by the other panel.
  ASSERT_EQ(rig.Run(R"(open TForm_InitialPos
set TForm_InitialPos.Edit_X -2700000
set TForm_InitialPos.Edit_Y 4300000
set TForm_InitialPos.Edit_Z 3850000
click TForm_InitialPos.Button_SetECEF
wait 2
)"),
            kScriptPassed)
      << rig.err.str();
  ASSERT_GT(std::fabs(rig.receiver().Position().latitude - original.latitude), 0.01);

  // A latitude beyond the pole, a number with a letter after it, a file of no numbers: each is
  // refused with its box, nothing is sent and the file leaves the edits as they were.
  WriteFileBytes(nanPath, {'0', ' ', 'n', 'a', 'n', ' ', 'i', 'n', 'f', ' ', '-', 'i', 'n', 'f'});
  rig.ForgetSent();
  rig.boxes.str("");
  ASSERT_EQ(rig.Run("set TForm_InitialPos.Edit_Lat 95\nset TForm_InitialPos.Edit_Lon 11.5\n"
                    "set TForm_InitialPos.Edit_Alt 500\n"
                    "answer ok\nclick TForm_InitialPos.Button_SetLLA\n"
                    "set TForm_InitialPos.Edit_Lat 45x\n"
                    "answer ok\nclick TForm_InitialPos.Button_SetLLA\n"
                    "answer file " +
                    nanPath +
                    "\nanswer ok\nclick TForm_InitialPos.Button_File\n"
                    "expect TForm_InitialPos.Edit_Lat.text 45x\n"
                    "expect TForm_InitialPos.Edit_Alt.text 500\nwait 2\n"),
            kScriptPassed)
      << rig.err.str();
  EXPECT_EQ(rig.boxes.str(),
            "message box \"Warning\": Latitude must be between -90 and 90 degrees. -> OK\n"
            "message box \"Warning\": Latitude must be a floating point number. -> OK\n"
            "file dialog (Data Files (*.dat)|*.dat|All Files (*.*)|*.*) -> " +
                nanPath + "\nmessage box \"Error\": Position data file format incorrect -> OK\n");
  EXPECT_TRUE(rig.Sent(0x32).empty());
  EXPECT_TRUE(rig.Sent(0x31).empty());

  // Uploaded from the file: the edits hold the file's numbers exactly, and the singles sent are
  // those the receiver's own position rounds to. The file's 9 decimals of a degree (2e-11 rad) are
  // far below the step of a single there (6e-8 rad), so that holds unless the original lies
  // within that of a point where rounding turns; the altitude's 3 decimals are coarser than its
  // single, so it is sent to the file's half millimetre.
  ASSERT_GT(FromMidpoint(original.latitude), 1e-10);
  ASSERT_GT(FromMidpoint(original.longitude), 1e-10);
  ASSERT_EQ(rig.Run("answer file " + path +
                    "\nclick TForm_InitialPos.Button_File\n"
                    "click TForm_InitialPos.Button_SetLLA\nwait 2\n"),
            kScriptPassed)
      << rig.err.str();
  const TForm_InitialPos& form = rig.app.Form_InitialPos;
  EXPECT_EQ(ParseDecimal(form.Edit_Lat.Text()), file->a) << form.Edit_Lat.Text();
  EXPECT_EQ(ParseDecimal(form.Edit_Lon.Text()), file->b) << form.Edit_Lon.Text();
  EXPECT_EQ(ParseDecimal(form.Edit_Alt.Text()), file->c) << form.Edit_Alt.Text();
  const std::vector<PacketBytes> sent = rig.Sent(0x32);
  ASSERT_EQ(sent.size(), 1u);
  ASSERT_EQ(sent[0].size(), 13u);
  const float latitude = ReadSingle(&sent[0][1]);
  const float longitude = ReadSingle(&sent[0][5]);
  const float altitude = ReadSingle(&sent[0][9]);
  EXPECT_EQ(latitude, static_cast<float>(original.latitude));
  EXPECT_EQ(longitude, static_cast<float>(original.longitude));
  EXPECT_LE(std::fabs(altitude - original.altitude), 5e-4 + HalfStep(altitude));

  // The receiver holds that position and reports it.
  EXPECT_TRUE(rig.receiver().PositionHeld());
  EXPECT_EQ(rig.receiver().Position().latitude, latitude);
  EXPECT_EQ(rig.receiver().Position().longitude, longitude);
  EXPECT_EQ(rig.receiver().Position().altitude, altitude);
  const std::optional<TimingSupplemental> reported = NewestReported(rig);
  ASSERT_TRUE(reported);
  EXPECT_EQ(reported->latitude, latitude);
  EXPECT_EQ(reported->longitude, longitude);
  EXPECT_EQ(reported->altitude, altitude);
  EXPECT_EQ(reported->receiverMode, 7);  // overdetermined clock
  std::remove(path.c_str());
  std::remove(nanPath.c_str());
}

}  // namespace
}  // namespace zelkon
