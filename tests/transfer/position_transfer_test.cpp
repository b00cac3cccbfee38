#include "transfer/position_transfer.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/dispatcher.h"
#include "link/codec.h"
#include "support/temp_path.h"
#include "support/test_rig.h"
#include "text/time_format.h"

namespace zelkon {
namespace {

using testing::PacketBytes;

std::string ReadFile(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

PacketBytes ThreeSingles(uint8_t id, float a, float b, float c) {
  PacketBytes p(13);
  p[0] = id;
  WriteSingle(a, &p[1]);
  WriteSingle(b, &p[5]);
  WriteSingle(c, &p[9]);
  return p;
}

TEST(PositionRecord, ParseAndFormat) {
  struct Case {
    std::string text;
    std::optional<std::array<double, 4>> record;  // kind, a, b, c
  };
  const Case cases[] = {
      // Written by the earlier program, with 5 decimals: read as the doubles the file holds.
      {"0 37.50001 -122.25000 10.0", {{0, 37.50001, -122.25, 10.0}}},
      {"1\n-2700000.126\t4300000.25   3850000\r\n", {{1, -2700000.126, 4300000.25, 3850000.0}}},
      {"0 48.137200000 11.575400000 519.123", {{0, 48.1372, 11.5754, 519.123}}},
      {"2 1 2 3", std::nullopt},
      {"-1 1 2 3", std::nullopt},
      {"0.5 1 2 3", std::nullopt},
      {"0 1 2", std::nullopt},
      {"0 1 two 3", std::nullopt},
      {"0 95x 2 3", std::nullopt},  // the scan formats read 95
      {"0 1 2 3 4", std::nullopt},  // a fifth value: not this kind of file
      {"0 1 2 3\n0 4 5 6", std::nullopt},
      {"0 nan inf -inf", std::nullopt},
      {"0 1 2 1e400", std::nullopt},
      {std::string("0 1 2 3\0", 8), std::nullopt},
      {"0 1 2 3" + std::string(kPositionFileMaxBytes, ' '), std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    const auto record = ParsePositionRecord(c.text);
    ASSERT_EQ(record.has_value(), c.record.has_value()) << c.text;
    if (record) {
      EXPECT_EQ((std::array<double, 4>{static_cast<double>(record->kind), record->a, record->b,
                                       record->c}),
                *c.record);
    }
  }
  // Millimetres, and still a record the earlier program reads.
  const std::string written = FormatPositionRecord(-33.1234567891, 151.2, -5.5556);
  EXPECT_EQ(written, "0 -33.123456789 151.200000000 -5.556");
  int kind = -1;
  std::array<float, 3> old{};
  EXPECT_EQ(std::sscanf(written.c_str(), "%d%f%f%f", &kind, &old[0], &old[1], &old[2]), 4);
  EXPECT_EQ(old, (std::array<float, 3>{-33.123456789f, 151.2f, -5.556f}));
}

class PositionTransfer : public ::testing::Test {
 protected:
  void SetUp() override {
    app.Form_Main.ControlPollingTimingPkts.SetChecked(true);
    std::remove(path.c_str());
  }
  void TearDown() override { std::remove(path.c_str()); }

  // A supplemental timing report carrying this position.
  void DecodeSupplemental(double latitudeDeg, double longitudeDeg, double altitude) {
    std::vector<uint8_t> p(68);
    p[0] = 0xAC;
    WriteDouble(latitudeDeg / DegreesPerRadian, &p[36]);
    WriteDouble(longitudeDeg / DegreesPerRadian, &p[44]);
    WriteDouble(altitude, &p[52]);
    DispatchReport(app, 0x8F, p);
  }
  void ReadFromFile(const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
    rig.dialogs.ChooseFile(path);
    form.Button_File.Click();
  }

  testing::TestRig rig;
  Monitor& app = rig.app;
  TForm_InitialPos& form = rig.app.Form_InitialPos;
  std::string path = testing::TestTempPath(".dat");
};

TEST_F(PositionTransfer, DownloadWritesTheNextPositionWithTimingPacketsAndReadsBack) {
  app.Form_Main.ControlPollingTimingPkts.SetChecked(false);
  app.Feature<PositionDownloadRequest>().pending = true;
  DecodeSupplemental(10, 20, 30);  // waits for timing packets
  EXPECT_TRUE(rig.dialogs.FileRequests().empty());

  app.Form_Main.ControlPollingTimingPkts.SetChecked(true);
  rig.dialogs.ChooseFile(path);
  rig.dialogs.Answer(Answer::Ok);
  DecodeSupplemental(37.123456, -122.987654, 56.78);
  DecodeSupplemental(1, 2, 3);  // once only
  // The file dialog waits for the packet loop to end, and saves the position it was asked with.
  EXPECT_TRUE(rig.dialogs.FileRequests().empty());
  rig.FinishPacketLoop();

  EXPECT_FALSE(app.Feature<PositionDownloadRequest>().pending);
  ASSERT_EQ(rig.dialogs.FileRequests().size(), 1u);
  EXPECT_EQ(rig.dialogs.FileRequests()[0].fileName, " ");
  EXPECT_EQ(rig.dialogs.FileRequests()[0].defaultExtension, ".dat");
  EXPECT_EQ(rig.dialogs.FileRequests()[0].filter, "Data Files (*.dat)|*.dat|All Files (*.*)|*.*");
  EXPECT_EQ(ReadFile(path), "0 37.123456000 -122.987654000 56.780");
  ASSERT_EQ(rig.dialogs.Boxes().size(), 1u);
  EXPECT_EQ(rig.dialogs.Boxes()[0].text,
            "Position successfully downloaded.\n\nLat: 37.12346\nLon: -122.98765\nAlt: 56.8");
  EXPECT_EQ(rig.dialogs.Boxes()[0].caption, "Success");

  // Read back through "From File": the LLA panel shows the file's numbers, not rounded.
  rig.dialogs.ChooseFile(path);
  form.Button_File.Click();
  EXPECT_EQ(form.Edit_Lat.Text(), "37.123456");
  EXPECT_EQ(form.Edit_Lon.Text(), "-122.987654");
  EXPECT_EQ(form.Edit_Alt.Text(), "56.78");
  EXPECT_EQ(form.Edit_X.Text(), "");
}

TEST(PositionDownload, CancelAndFailures) {
  struct Case {
    std::optional<std::string> path;
    const char* text;  // nullptr: no box
  };
  const Case cases[] = {
      {std::nullopt, nullptr},  // cancelled: the request is dropped
      {::testing::TempDir() + "no such directory/position.dat", "Unable to open data file."},
      {"/dev/full", "Unable to write data file."},  // the data never reaches the disk
  };
  for (const Case& c : cases) {
    testing::TestRig rig;
    rig.app.Feature<PositionDownloadRequest>().pending = true;
    rig.dialogs.ChooseFile(c.path);
    if (c.text != nullptr) rig.dialogs.Answer(Answer::Ok);
    PositionDownloadStep(rig.app, 1, 2, 3);
    rig.FinishPacketLoop();
    EXPECT_FALSE(rig.app.Feature<PositionDownloadRequest>().pending);
    ASSERT_EQ(rig.dialogs.Boxes().size(), c.text != nullptr ? 1u : 0u);
    if (c.text == nullptr) continue;
    EXPECT_EQ(rig.dialogs.Boxes()[0].text, c.text);
    EXPECT_EQ(rig.dialogs.Boxes()[0].caption, "Error");
    EXPECT_EQ(rig.dialogs.Boxes()[0].icon, Icon::Exclamation);
  }
}

TEST_F(PositionTransfer, FromFileFillsOnePanelOrReportsAnError) {
  ReadFromFile("1 -2700000.126 4300000.5 3850000\n");
  EXPECT_EQ(form.Edit_X.Text(), "-2700000.126");  // as the file has it
  EXPECT_EQ(form.Edit_Y.Text(), "4300000.5");
  EXPECT_EQ(form.Edit_Z.Text(), "3850000");
  EXPECT_EQ(form.Edit_Lat.Text(), "");
  EXPECT_TRUE(rig.dialogs.Boxes().empty());
  EXPECT_TRUE(rig.port.SentPackets().empty());

  for (const char* contents : {"2 1 2 3", "0 1 2", "", "1 -2700000.126 4300000.5 3850000 7"}) {
    rig.dialogs.Answer(Answer::Ok);
    ReadFromFile(contents);
    EXPECT_EQ(rig.dialogs.Boxes().back().text, "Position data file format incorrect");
  }
  rig.dialogs.Answer(Answer::Ok);
  ReadFromFile("0 90.5 0 0");
  EXPECT_EQ(rig.dialogs.Boxes().back().text,
            "Position data file out of range.\n\nLatitude must be between -90 and 90 degrees.");
  std::remove(path.c_str());
  rig.dialogs.ChooseFile(path);
  rig.dialogs.Answer(Answer::Ok);
  form.Button_File.Click();
  EXPECT_EQ(rig.dialogs.Boxes().back().text, "Couldn't open position data file.");
  rig.dialogs.ChooseFile(std::nullopt);
  form.Button_File.Click();

  ASSERT_EQ(rig.dialogs.Boxes().size(), 6u);
  for (const auto& box : rig.dialogs.Boxes()) {
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.buttons, Buttons::Ok);
  }
  EXPECT_EQ(form.Edit_X.Text(), "-2700000.126");
  EXPECT_EQ(form.Edit_Lat.Text(), "");
}

TEST_F(PositionTransfer, SetButtonsSendThePosition) {
  ASSERT_TRUE(rig.Start());
  form.Edit_Lat.SetText("90");
  form.Edit_Lon.SetText("-45.5");
  form.Edit_Alt.SetText("100.25");
  form.Button_SetLLA.Click();
  form.Edit_X.SetText("-2700000.5");
  form.Edit_Y.SetText(" 4300000");
  form.Edit_Z.SetText("3.85e6");
  form.Button_SetECEF.Click();

  // 90 degrees is 1.570795 radians with 3.14159 / 180, not pi / 2.
  EXPECT_EQ(
      rig.port.SentPackets(),
      (std::vector<PacketBytes>{
          ThreeSingles(0x32, 1.570795f, static_cast<float>(-45.5 * RadiansPerDegree), 100.25f),
          ThreeSingles(0x31, -2700000.5f, 4300000.0f, 3850000.0f),
      }));
  EXPECT_TRUE(rig.dialogs.Boxes().empty());
}

TEST_F(PositionTransfer, SetButtonsWarnAboutTheFirstUnreadableFieldOrAPlaceNoAntennaHas) {
  ASSERT_TRUE(rig.Start());
  struct Case {
    std::array<const char*, 3> fields;
    const char* warning;
  };
  const Case cases[] = {
      {{"", "", ""}, "Latitude must be a floating point number."},
      {{"x", "1", "1"}, "Latitude must be a floating point number."},
      {{"1", "", "1"}, "Longitude must be a floating point number."},
      {{"1", "1", "m"}, "Altitude must be a floating point number."},
      {{"1", "95x", "1"}, "Longitude must be a floating point number."},
  };
  const std::array<Edit*, 3> lla = {&form.Edit_Lat, &form.Edit_Lon, &form.Edit_Alt};
  const std::array<Edit*, 3> ecef = {&form.Edit_X, &form.Edit_Y, &form.Edit_Z};
  for (const auto& [button, edits] :
       {std::pair{&form.Button_SetLLA, lla}, std::pair{&form.Button_SetECEF, ecef}}) {
    for (const Case& c : cases) {
      for (size_t i = 0; i < 3; ++i)
        edits[i]->SetText(c.fields[i]);
      rig.dialogs.Answer(Answer::Ok);
      button->Click();
      ASSERT_FALSE(rig.dialogs.Boxes().empty());
      EXPECT_EQ(rig.dialogs.Boxes().back().text, c.warning) << button->Name();
      EXPECT_EQ(rig.dialogs.Boxes().back().caption, "Warning");
      EXPECT_EQ(rig.dialogs.Boxes().back().icon, Icon::Exclamation);
    }
  }
  EXPECT_TRUE(rig.port.SentPackets().empty());

  // Numbers, but no place on or near the earth; the limits themselves are sent.
  struct Outside {
    Button* button;
    std::array<const char*, 3> fields;
    const char* warning;  // nullptr: sent
  };
  const Outside outside[] = {
      {&form.Button_SetLLA, {"-90", "180", "-1000"}, nullptr},
      {&form.Button_SetLLA,
       {"0", "-180.5", "0"},
       "Longitude must be between -180 and 180 degrees."},
      {&form.Button_SetLLA,
       {"0", "0", "1e39"},
       "Altitude must be between -1000 and 100000 meters."},
      {&form.Button_SetECEF, {"0", "0", "-6356000"}, nullptr},
      {&form.Button_SetECEF,
       {"0", "6480001", "0"},
       "Y must be between -6480000 and 6480000 meters."},
      {&form.Button_SetECEF,
       {"6371", "0", "0"},  // kilometres
       "The distance of X, Y, Z from the center of the earth must be between 6355000 and 6480000 "
       "meters."},
  };
  for (const Outside& c : outside) {
    const auto& edits = c.button == &form.Button_SetLLA ? lla : ecef;
    for (size_t i = 0; i < 3; ++i)
      edits[i]->SetText(c.fields[i]);
    const size_t boxes = rig.dialogs.Boxes().size();
    if (c.warning != nullptr) rig.dialogs.Answer(Answer::Ok);
    c.button->Click();
    ASSERT_EQ(rig.dialogs.Boxes().size(), boxes + (c.warning != nullptr ? 1 : 0)) << c.fields[1];
    if (c.warning != nullptr) {
      EXPECT_EQ(rig.dialogs.Boxes().back().text, c.warning);
    }
  }
  EXPECT_EQ(rig.port.SentPackets(),
            (std::vector<PacketBytes>{
                ThreeSingles(0x32, static_cast<float>(-90 * RadiansPerDegree),
                             static_cast<float>(180 * RadiansPerDegree), -1000.0f),
                ThreeSingles(0x31, 0.0f, 0.0f, -6356000.0f),
            }));

  form.Show();
  form.Button_Close.Click();
  EXPECT_FALSE(form.Visible());
}

}  // namespace
}  // namespace zelkon
