// The texts of the almanac, almanac health and UTC parameter windows, from payloads built here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

Bytes Almanac(int prn) {
  Bytes p(39);
  p[0] = static_cast<uint8_t>(prn);
  WriteSingle(233472.4f, &p[1]);
  WriteU16(2318, &p[5]);
  WriteSingle(0.0125f, &p[7]);
  WriteSingle(319487.5f, &p[11]);
  WriteSingle(0.9599f, &p[15]);
  WriteSingle(-8.125e-9f, &p[19]);
  WriteSingle(5153.625f, &p[23]);
  WriteSingle(-2.5f, &p[27]);
  WriteSingle(31.25f, &p[31]);
  WriteSingle(0.0000126f, &p[35]);
  return p;
}

Bytes UtcParams(double a0) {
  Bytes p(26);
  WriteDouble(a0, &p[0]);
  WriteSingle(-1.25f, &p[8]);
  WriteU16(18, &p[12]);
  WriteSingle(405504.125f, &p[14]);
  WriteU16(2318, &p[18]);
  WriteU16(2320, &p[20]);
  WriteU16(7, &p[22]);
  WriteU16(19, &p[24]);
  return p;
}

// ---- 0x40 ----

TEST(AlmanacDecoder, TheChosenSatellitesAlmanacFillsTheTenPanels) {
  TestRig rig;
  TForm_AlmanacData& f = rig.app.Form_AlmanacData;
  f.ComboBox_SV.SetItemIndex(11);
  Decode(0x40, rig.app, Almanac(12));
  EXPECT_EQ(f.Panel_T_zc.Caption(), "233472");
  EXPECT_EQ(f.Panel_WeekNum.Caption(), "2318");
  EXPECT_EQ(f.Panel_Eccentricity.Caption(), "0.012500");
  EXPECT_EQ(f.Panel_T_oa.Caption(), "319488");  // rounded, not cut
  EXPECT_EQ(f.Panel_i_o.Caption(), "0.959900");
  // Six decimals down to 0.001; smaller values in scientific notation, never as zero.
  EXPECT_EQ(f.Panel_OMEGA_dot.Caption(), "-8.125000e-09");
  EXPECT_EQ(f.Panel_SqRootA.Caption(), "5153.625000");
  EXPECT_EQ(f.Panel_OMEGAo.Caption(), "-2.500000");
  EXPECT_EQ(f.Panel_Omega.Caption(), "31.250000");
  EXPECT_EQ(f.Panel_Mo.Caption(), "1.260000e-05");
}

TEST(AlmanacDecoder, AnotherSatellitesAlmanacOrAnotherLengthChangesNothing) {
  TestRig rig;
  ChangeLog log(rig.app);
  rig.app.Form_AlmanacData.ComboBox_SV.SetItemIndex(11);
  log.changes.clear();
  Decode(0x40, rig.app, Almanac(11));
  Decode(0x40, rig.app, Almanac(13));
  Decode(0x40, rig.app, Almanac(0));
  Bytes longer = Almanac(12);
  longer.push_back(0);
  Decode(0x40, rig.app, longer);
  Bytes shorter = Almanac(12);
  shorter.pop_back();
  Decode(0x40, rig.app, shorter);
  EXPECT_EQ(log.changes, std::vector<std::string>{});
}

// ---- 0x49 ----

TEST(AlmanacHealthDecoder, EachByteInHexInItsSatellitesPanel) {
  TestRig rig;
  TForm_AlmHealth& f = rig.app.Form_AlmHealth;
  Bytes health(32);
  for (size_t i = 0; i < health.size(); ++i)
    health[i] = static_cast<uint8_t>(i * 8);
  health[0] = 0x3F;
  health[31] = 0xFF;
  Decode(0x49, rig.app, health);
  EXPECT_EQ(f.Panel_SV[0].Caption(), "3F");
  EXPECT_EQ(f.Panel_SV[1].Caption(), "8");
  EXPECT_EQ(f.Panel_SV[2].Caption(), "10");
  EXPECT_EQ(f.Panel_SV[21].Caption(), "A8");
  EXPECT_EQ(f.Panel_SV[30].Caption(), "F0");
  EXPECT_EQ(f.Panel_SV[31].Caption(), "FF");

  health.assign(32, 0);
  Decode(0x49, rig.app, health);
  for (size_t i = 0; i < f.Panel_SV.size(); ++i)
    EXPECT_EQ(f.Panel_SV[i].Caption(), "0") << "SV " << i + 1;

  ChangeLog log(rig.app);
  for (const size_t length : {0u, 31u, 33u})
    Decode(0x49, rig.app, Bytes(length, 0x3F));
  EXPECT_EQ(log.changes, std::vector<std::string>{});
}

// ---- 0x4F ----

TEST(UtcParamsDecoder, EightPanelsWithA0AndA1ReadableAtAnySize) {
  TestRig rig;
  TForm_UTCParam& f = rig.app.Form_UTCParam;
  Decode(0x4F, rig.app, UtcParams(1.5e-9));
  EXPECT_EQ(f.Panel_A0.Caption(), "1.500000e-09");
  EXPECT_EQ(f.Panel_A1.Caption(), "-1.250000");
  EXPECT_EQ(f.Panel_AETls.Caption(), "18");
  EXPECT_EQ(f.Panel_Tot.Caption(), "405504.12");
  EXPECT_EQ(f.Panel_WNt.Caption(), "2318");
  EXPECT_EQ(f.Panel_WNlsf.Caption(), "2320");
  EXPECT_EQ(f.Panel_DN.Caption(), "7");
  EXPECT_EQ(f.Panel_AETlsf.Caption(), "19");

  // A0 is a double: its digits beyond a float's show.
  Decode(0x4F, rig.app, UtcParams(-123456.0000009));
  EXPECT_EQ(f.Panel_A0.Caption(), "-123456.000001");
  // Six decimals from 0.001 up, where they show at least four significant digits.
  Decode(0x4F, rig.app, UtcParams(-0.001));
  EXPECT_EQ(f.Panel_A0.Caption(), "-0.001000");
  Decode(0x4F, rig.app, UtcParams(0.00099995));
  EXPECT_EQ(f.Panel_A0.Caption(), "9.999500e-04");

  ChangeLog log(rig.app);
  for (const size_t length : {0u, 25u, 27u})
    Decode(0x4F, rig.app, Bytes(length, 0x11));
  EXPECT_EQ(log.changes, std::vector<std::string>{});
}

}  // namespace
}  // namespace zelkon
