// The configuration read-back decoders: the codes the lists hold no item for, the exact texts, the
// values kept for the segment check, and reports of a wrong length, which change nothing.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "config/gps_form.h"
#include "config/self_survey_form.h"
#include "config/serial_form.h"
#include "config/timing_out_form.h"
#include "core/dispatcher.h"
#include "link/codec.h"
#include "support/decoder_helpers.h"
#include "support/test_rig.h"

namespace zelkon {
namespace {

using testing::ChangeLog;
using testing::Decode;
using testing::TestRig;
using Bytes = std::vector<uint8_t>;

Bytes PortConfig(uint8_t port, uint8_t baud, uint8_t dataBits, uint8_t parity, uint8_t stopBits,
                 uint8_t input, uint8_t output) {
  return {port, baud, baud, dataBits, parity, stopBits, 0, input, output, 0};
}

Bytes ReceiverConfig(uint8_t dgpsMode, float elevationRad) {
  Bytes p(43);
  p[1] = 4;
  p[2] = dgpsMode;
  p[3] = 1;
  WriteSingle(elevationRad, &p[5]);
  WriteSingle(3.96f, &p[9]);
  WriteSingle(12.0f, &p[13]);
  WriteSingle(-0.04f, &p[17]);
  p[21] = 255;
  return p;
}

Bytes PpsCharacteristics(double offset, float bias) {
  Bytes p(16);
  p[0] = 0x4A;
  p[1] = 1;
  p[2] = 1;
  p[3] = 0;
  WriteDouble(offset, &p[4]);
  WriteSingle(bias, &p[12]);
  return p;
}

TEST(PortConfigDecoder, FillsTheListsOfThePortItNamesAndKeepsItsParity) {
  TestRig rig;
  const TForm_Serial& f = rig.app.Window<TForm_Serial>();
  Decode(0xBC, rig.app, PortConfig(0, 7, 3, 1, 0, 2, 4));
  EXPECT_EQ(f.ComboBox_PortABaudRate.Text(), "9600");
  EXPECT_EQ(f.ComboBox_PortADataBits.Text(), "8");
  EXPECT_EQ(f.ComboBox_PortAParity.Text(), "Odd");
  EXPECT_EQ(f.ComboBox_PortAStopBits.Text(), "1");
  EXPECT_EQ(f.ComboBox_PortAInput.Text(), "RXBIN");
  EXPECT_EQ(f.ComboBox_PortAOutput.Text(), "NMEA");
  EXPECT_EQ(rig.app.segmentReadback.portAParity, 1);
  EXPECT_EQ(rig.app.segmentReadback.portBParity, -1);
  EXPECT_EQ(f.ComboBox_PortBBaudRate.ItemIndex(), -1) << "port B untouched";

  // Any port byte other than 0 is port B, whose baud list starts at code 6.
  Decode(0xBC, rig.app, PortConfig(5, 7, 3, 2, 1, 2, 2));
  EXPECT_EQ(f.ComboBox_PortBBaudRate.ItemIndex(), 1);
  EXPECT_EQ(f.ComboBox_PortBBaudRate.Text(), "9600");
  EXPECT_EQ(f.ComboBox_PortBParity.Text(), "Even");
  EXPECT_EQ(f.ComboBox_PortBStopBits.Text(), "2");
  EXPECT_EQ(rig.app.segmentReadback.portBParity, 2);
  EXPECT_EQ(f.ComboBox_PortABaudRate.Text(), "9600") << "port A untouched";
}

TEST(PortConfigDecoder, CodesWithoutAnItem) {
  TestRig rig;
  const TForm_Serial& f = rig.app.Window<TForm_Serial>();
  Decode(0xBC, rig.app, PortConfig(0, 7, 3, 1, 0, 2, 2));
  // A protocol code the list has no item for shows "unknown", selecting nothing; codes 8 (input)
  // and 6 (output) are among them.
  Decode(0xBC, rig.app, PortConfig(0, 7, 3, 1, 0, 5, 6));
  EXPECT_EQ(f.ComboBox_PortAInput.Text(), "unknown");
  EXPECT_EQ(f.ComboBox_PortAInput.ItemIndex(), -1);
  EXPECT_EQ(f.ComboBox_PortAOutput.Text(), "unknown");
  Decode(0xBC, rig.app, PortConfig(1, 7, 3, 1, 0, 8, 0));
  EXPECT_EQ(f.ComboBox_PortBInput.Text(), "unknown");
  EXPECT_EQ(f.ComboBox_PortBOutput.Text(), "unknown");
  // A data-bits code without an item leaves the list as it was; a baud code leaves no selection.
  Decode(0xBC, rig.app, PortConfig(0, 12, 0, 1, 0, 2, 2));
  EXPECT_EQ(f.ComboBox_PortADataBits.Text(), "8");
  EXPECT_EQ(f.ComboBox_PortABaudRate.ItemIndex(), -1);
  Decode(0xBC, rig.app, PortConfig(1, 5, 2, 1, 0, 2, 2));
  EXPECT_EQ(f.ComboBox_PortBDataBits.Text(), "8");
  EXPECT_EQ(f.ComboBox_PortBBaudRate.ItemIndex(), -1);
}

TEST(ReceiverConfigDecoder, TheDgpsListSkipsCodeTwoAndTheMasksShowOneDecimal) {
  TestRig rig;
  const TForm_GPS& f = rig.app.Window<TForm_GPS>();
  Decode(0xBB, rig.app, ReceiverConfig(2, 0.0872665f));
  EXPECT_EQ(f.ComboBox_RMode.Text(), "Full Position (3D)");
  EXPECT_EQ(f.ComboBox_DGPSMode.Text(), "On");
  EXPECT_EQ(f.ComboBox_DCode.Text(), "Land");
  EXPECT_EQ(f.Edit_EMask.Text(), "5.0");
  EXPECT_EQ(f.Edit_SMask.Text(), "4.0");
  EXPECT_EQ(f.Edit_PMask.Text(), "12.0");
  EXPECT_EQ(f.Edit_PSwitch.Text(), "-0.0");
  EXPECT_EQ(f.Edit_DGPSAge.Text(), "255");
  Decode(0xBB, rig.app, ReceiverConfig(3, 0.0f));
  EXPECT_EQ(f.ComboBox_DGPSMode.Text(), "Auto");
  Decode(0xBB, rig.app, ReceiverConfig(0, 0.0f));
  EXPECT_EQ(f.ComboBox_DGPSMode.Text(), "Off");
}

TEST(TimingOutputDecoders, OptionTextsAndTheKeptOptionByte) {
  TestRig rig;
  const TForm_TimingOut& f = rig.app.Window<TForm_TimingOut>();
  Decode(0x8F, rig.app, {0x4E, 0x82});
  EXPECT_TRUE(f.RadioButton_Always.Checked());
  EXPECT_TRUE(f.CheckBox_EvenSecond.Checked());
  EXPECT_EQ(rig.app.segmentReadback.timingOutputOption, 0x82);
  Decode(0x8F, rig.app, {0x4E, 0x83});
  EXPECT_FALSE(f.RadioButton_Always.Checked());
  EXPECT_TRUE(f.RadioButton_1SV.Checked());
  EXPECT_TRUE(f.CheckBox_EvenSecond.Checked());
  Decode(0x8F, rig.app, {0x4E, 0x04});
  EXPECT_TRUE(f.RadioButton_3SV.Checked());
  EXPECT_FALSE(f.CheckBox_EvenSecond.Checked());
  Decode(0x8F, rig.app, {0x4E, 0x05});
  EXPECT_FALSE(f.RadioButton_Always.Checked());
  EXPECT_FALSE(f.RadioButton_1SV.Checked());
  EXPECT_FALSE(f.RadioButton_3SV.Checked());
  EXPECT_FALSE(f.CheckBox_EvenSecond.Checked());
  EXPECT_EQ(rig.app.segmentReadback.timingOutputOption, 5);

  Decode(0x8F, rig.app, PpsCharacteristics(0.0, 300.0f));
  EXPECT_EQ(f.ComboBox_Switch.Text(), "Enabled");
  EXPECT_EQ(f.ComboBox_TimeBase.Text(), "UTC");
  EXPECT_EQ(f.ComboBox_Polarity.Text(), "Positive");
  EXPECT_EQ(f.Edit_Offset.Text(), "0.000e+00");
  EXPECT_EQ(f.Edit_Bias.Text(), "300.00");
  Decode(0x8F, rig.app, PpsCharacteristics(-1.25e-7, 0.125f));
  EXPECT_EQ(f.Edit_Offset.Text(), "-1.250e-07");
  EXPECT_EQ(f.Edit_Bias.Text(), "0.12");

  Bytes width(9);
  width[0] = 0x4F;
  WriteDouble(1e-6, &width[1]);
  Decode(0x8F, rig.app, width);
  EXPECT_EQ(f.Edit_Width.Text(), "1.000e-06");
}

TEST(SelfSurveyDecoders, AnyNonZeroByteChecksAndTheLimitIsKept) {
  TestRig rig;
  const TForm_SelfSurvey& f = rig.app.Window<TForm_SelfSurvey>();
  Decode(0x8F, rig.app, {0xA9, 5, 0, 0x00, 0x01, 0x51, 0x80, 0, 0, 0, 0});
  EXPECT_TRUE(f.CheckBox_EnableSurvey.Checked());
  EXPECT_FALSE(f.CheckBox_Flag.Checked());
  EXPECT_EQ(f.Edit_Limit.Text(), "86400");
  EXPECT_EQ(rig.app.segmentReadback.selfSurveyLimit, 86400);
  // The whole U32: a limit beyond the int range is a value, not "not known yet".
  Decode(0x8F, rig.app, {0xA9, 5, 0, 0x80, 0x00, 0x00, 0x00, 0, 0, 0, 0});
  EXPECT_EQ(rig.app.segmentReadback.selfSurveyLimit, 0x80000000);

  Decode(0x8F, rig.app, {0x4B, 0x00, 0x00, 0x07, 0xD0});
  EXPECT_EQ(rig.app.Window<TForm_VarnelSurvey>().Edit_Limit.Text(), "2000");
}

TEST(ReadbackDecoders, AReportOfAnotherLengthChangesNothing) {
  TestRig rig;
  ChangeLog log(rig.app);
  const std::vector<std::pair<uint8_t, Bytes>> reports = {
      {0xBB, ReceiverConfig(3, 0.1f)},
      {0xBC, PortConfig(0, 7, 3, 1, 0, 2, 2)},
      {0x8F, PpsCharacteristics(1e-6, 1.0f)},
      {0x8F, {0x4E, 0x82}},
      {0x8F, Bytes(9, 0x4F)},
      {0x8F, {0xA9, 1, 1, 0, 0, 0, 60, 0, 0, 0, 0}},
      {0x8F, {0x4B, 0, 0, 0, 60}},
      {0x55, {0x13, 0x03, 0x1F, 0x0B}},
      {0x8F, {0xA5, 0xFF, 0xE1, 0x00, 0x00}},
      {0x8F, {0x4D, 0xFF, 0xFF, 0xFF, 0xFF}},
      {0x7B, {0x00, 0x05, 0x00, 0x00, 0x01, 0x3F}},
      {0x8F, Bytes(43, 0x15)},
  };
  for (const auto& [decoder, payload] : reports) {
    Bytes longer = payload;
    longer.push_back(0);
    Decode(decoder, rig.app, longer);
    Decode(decoder, rig.app, Bytes(payload.begin(), payload.end() - 1));
  }
  EXPECT_TRUE(log.changes.empty()) << log.changes.front();
  EXPECT_EQ(rig.app.segmentReadback.portAParity, -1);
  EXPECT_EQ(rig.app.segmentReadback.timingOutputOption, -1);
  EXPECT_EQ(rig.app.segmentReadback.selfSurveyLimit, -1);
  EXPECT_EQ(rig.app.segmentReadback.nmeaInterval, -1);
  EXPECT_EQ(rig.app.segmentReadback.datumIndex, -1);

  // At their own length the same reports fill the windows and keep their values.
  for (const auto& [decoder, payload] : reports)
    Decode(decoder, rig.app, payload);
  EXPECT_FALSE(log.changes.empty());
  EXPECT_EQ(rig.app.segmentReadback.nmeaInterval, 5);
  EXPECT_EQ(rig.app.segmentReadback.datumIndex, 0x1515);
  EXPECT_EQ(rig.app.segmentReadback.selfSurveyLimit, 60);
}

}  // namespace
}  // namespace zelkon
