#include "link/port_settings.h"

#include <gtest/gtest.h>

namespace zelkon {
namespace {

TEST(PortSettings, TextsAndProgrammedLineOfTheCodes) {
  EXPECT_EQ(PortSettingsText("COM1", DefaultPortSettings(1)), "COM1 9600, 8-Odd-1");
  const PortSettings fast{1, 8, 3, 2, 1, 2, 2};
  EXPECT_EQ(PortSettingsText("COM4", fast), "COM4 19200, 8-Even-2");
  EXPECT_EQ(LineSettingsFor(fast), (LineSettings{19200, 8, Parity::Even, 2}));

  // Baud code 0 reads "0000" and programs 9600.
  const PortSettings none{0, 0, 2, 0, 0, 2, 2};
  EXPECT_EQ(PortSettingsText("/dev/ttyUSB0", none), "/dev/ttyUSB0 0000, 7-None-1");
  EXPECT_EQ(LineSettingsFor(none), (LineSettings{9600, 7, Parity::None, 1}));

  EXPECT_EQ(LineSettingsFor(PortSettings{0, 11, 3, 0, 0, 2, 2}).baudRate, 115200);
  EXPECT_EQ(LineSettingsFor(PortSettings{0, 1, 0, 0, 0, 2, 2}),
            (LineSettings{110, 5, Parity::None, 1}));
}

TEST(PortSettings, CodesOutsideTheTablesNeitherCrashNorProgramNonsense) {
  const PortSettings bad{0, 200, 9, 7, 5, 2, 2};
  EXPECT_EQ(PortSettingsText("COM1", bad), "COM1 ?, ?-?-?");
  EXPECT_EQ(LineSettingsFor(bad), (LineSettings{9600, 8, Parity::None, 1}));
}

TEST(PortSettings, DefaultRecordIsPortIAt9600EightOddOne) {
  EXPECT_EQ(DefaultPortSettings(1), (PortSettings{1, 7, 3, 1, 0, 2, 2}));
  EXPECT_EQ(DefaultPortSettings(0).portIndex, 0);
}

PortSettings Parse(std::string_view text) {
  PortSettings settings;
  ParseBreakResponse(text, settings);
  return settings;
}

TEST(BreakResponse, ReadsPortBaudBitsStopsAndParity) {
  EXPECT_EQ(Parse("PR;A,0,B,4800,8,1,N,2,2\r\n"), (PortSettings{0, 6, 3, 0, 0, 0, 0}));
  EXPECT_EQ(Parse("PRT;x,1,y,38400,7,2,E,"), (PortSettings{1, 9, 2, 2, 1, 0, 0}));
  EXPECT_EQ(Parse("PR;,1,,110,8,1,Odd,"), (PortSettings{1, 1, 3, 1, 0, 0, 0}));
  // Blanks before a number are skipped as a scanf conversion would.
  EXPECT_EQ(Parse("PR;a,0,b, 9600, 8, 1,O,").baudCode, 7);
}

TEST(BreakResponse, StopsAtTheFirstFieldThatDoesNotFitAndKeepsWhatCameBefore) {
  // No ';' at all.
  EXPECT_EQ(Parse("PR,0,1,4800,8,1,N,"), PortSettings{});
  // A port index other than 0 or 1.
  EXPECT_EQ(Parse("PR;a,2,b,4800,8,1,N,"), PortSettings{});
  // 57600 is not among the rates read: the parse stops with only the port index.
  EXPECT_EQ(Parse("PR;a,1,b,57600,8,1,N,"), (PortSettings{1, 0, 0, 0, 0, 0, 0}));
  // Six data bits: the rate was taken, the data-bits code stays 0.
  EXPECT_EQ(Parse("PR;a,0,b,4800,6,1,N,"), (PortSettings{0, 6, 0, 0, 0, 0, 0}));
  // Three stop bits.
  EXPECT_EQ(Parse("PR;a,0,b,4800,8,3,N,"), (PortSettings{0, 6, 3, 0, 0, 0, 0}));
  // An unknown parity letter leaves the parity code.
  EXPECT_EQ(Parse("PR;a,0,b,4800,8,2,M,"), (PortSettings{0, 6, 3, 0, 1, 0, 0}));
  // The parity field must be followed by a ','.
  EXPECT_EQ(Parse("PR;a,0,b,4800,8,2,E"), (PortSettings{0, 6, 3, 0, 1, 0, 0}));
  // A field that is not a number.
  EXPECT_EQ(Parse("PR;a,0,b,fast,8,1,N,"), (PortSettings{0, 0, 0, 0, 0, 0, 0}));
  // An empty text.
  EXPECT_EQ(Parse(""), PortSettings{});
}

TEST(BreakResponse, EarlierValuesOfTheRecordSurviveAStoppedParse) {
  PortSettings settings{1, 8, 3, 2, 1, 2, 2};
  ParseBreakResponse("PR;a,0,b,4800,7,x,", settings);
  EXPECT_EQ(settings, (PortSettings{0, 6, 2, 2, 1, 2, 2}));
}

}  // namespace
}  // namespace zelkon
