// The script console: its commands, its mistakes and their exit statuses, against the receiver
// emulator on virtual time.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "e2e/console_rig.h"
#include "main/about_form.h"
#include "text/angles.h"
#include "text/json.h"

namespace zelkon {
namespace {

using testing::ConsoleOnEmulator;
using testing::PacketBytes;

// Lines of a text.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

TEST(ScriptConsole, TheScriptStartsOnceThePortSetUpHasHandedOverToThePollLoop) {
  ConsoleOnEmulator rig;
  ASSERT_TRUE(rig.opened);
  EXPECT_EQ(rig.Run("expect TForm_Main.Timer_RXBIN.enabled true\n"), kScriptPassed)
      << rig.err.str();
  EXPECT_EQ(rig.out.str(), "");  // standard output holds only what dump prints
}

TEST(ScriptConsole, OpenSetClickAndExpectDriveAWindowAsTheOperatorDoes) {
  ConsoleOnEmulator rig;
  rig.ForgetSent();
  const int status = rig.Run(R"(# the accurate position, typed in
expect TForm_InitialPos.visible false
open TForm_InitialPos
expect TForm_InitialPos.visible true
set TForm_InitialPos.Edit_Lat 37.5
set TForm_InitialPos.Edit_Lon "-122.25"
set TForm_InitialPos.Edit_Alt 1
key TForm_InitialPos.Edit_Alt 2
expect TForm_InitialPos.Edit_Alt.text 12

click TForm_InitialPos.Button_SetLLA
wait 1.5
close TForm_InitialPos
expect TForm_InitialPos.visible false
)");
  ASSERT_EQ(status, kScriptPassed) << rig.err.str();
  const std::vector<PacketBytes> sent = rig.Sent(0x32);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_TRUE(rig.receiver().config.position.stored);
  EXPECT_NEAR(rig.receiver().config.position.latitude * DegreesPerRadian, 37.5, 1e-4);
  EXPECT_NEAR(rig.receiver().config.position.altitude, 12.0, 1e-6);
}

TEST(ScriptConsole, AnswersGoToTheNextBoxAndABoxWithoutOneSendsNothing) {
  ConsoleOnEmulator rig;
  rig.ForgetSent();
  ASSERT_EQ(rig.Run("click TForm_Main.ControlCold\n"), kScriptPassed) << rig.err.str();
  EXPECT_TRUE(rig.Sent(0x1E).empty());
  EXPECT_NE(
      rig.boxes.str().find("message box \"Cold reset?\": Do you really want to clear RAM? -> No"),
      std::string::npos)
      << rig.boxes.str();

  ASSERT_EQ(rig.Run("answer yes\nclick TForm_Main.ControlCold\n"), kScriptPassed) << rig.err.str();
  EXPECT_EQ(rig.Sent(0x1E), (std::vector<PacketBytes>{{0x1E, 0x4B}}));
  EXPECT_NE(rig.boxes.str().find("-> Yes"), std::string::npos);

  // A hidden menu item still answers: its shortcut key does.
  ASSERT_EQ(rig.Run("click TForm_Main.ControlPacketsOn\n"), kScriptPassed) << rig.err.str();
  EXPECT_EQ(rig.Sent(0x8E, 0xA5), (std::vector<PacketBytes>{{0x8E, 0xA5, 0x32, 0xE1, 0x00, 0x00}}));
}

TEST(ScriptConsole, AFileAnswerGoesToTheNextFileDialog) {
  ConsoleOnEmulator rig;
  const std::string path = ::testing::TempDir() + "console-position.dat";
  std::remove(path.c_str());
  ASSERT_EQ(rig.Run("wait 5\nclick TForm_Main.ControlDownloadPos\nanswer file " + path +
                    "\nanswer ok\nwait 2\n"),
            kScriptPassed)
      << rig.err.str();
  std::ifstream saved(path);
  std::string record;
  ASSERT_TRUE(std::getline(saved, record)) << rig.boxes.str();
  EXPECT_EQ(record.rfind("0 ", 0), 0u) << record;
  EXPECT_NE(rig.boxes.str().find("-> " + path), std::string::npos) << rig.boxes.str();
  EXPECT_NE(rig.boxes.str().find("\"Success\": Position successfully downloaded."),
            std::string::npos)
      << rig.boxes.str();
  std::remove(path.c_str());
}

TEST(ScriptConsole, DumpWritesOneLineOfJsonPerWindow) {
  ConsoleOnEmulator rig;
  ASSERT_EQ(rig.Run("wait 3\ndump TForm_Main\nopen TForm_About\ndump TForm_About\n"), kScriptPassed)
      << rig.err.str();
  const std::vector<std::string> lines = Lines(rig.out.str());
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind(R"({"form":"TForm_Main","visible":true,"controls":{)", 0), 0u)
      << lines[0];
  // Every kind shows its own properties; colours as #RRGGBB, system colours resolved.
  EXPECT_NE(lines[0].find(R"("Shape_RxLED":{"kind":"Shape","colour":"#)"), std::string::npos);
  EXPECT_NE(
      lines[0].find(
          R"("Label_MA10":{"kind":"Label","text":"EEPROM Invalid","fontColour":"#000000","enabled":true,"visible":true,"hint":"When yellow, invalid EEPROM segments detected"})"),
      std::string::npos);
  EXPECT_NE(
      lines[0].find(
          R"("ControlPollingTimingPkts":{"kind":"MenuItem","text":"Poll Timing P&ackets","checked":true,"enabled":true,"visible":true})"),
      std::string::npos);
  EXPECT_EQ(
      lines[1],
      R"({"form":"TForm_About","visible":true,"controls":{"Label_Title":{"kind":"Label","text":"Timing Receiver Monitor","fontColour":"#000000","enabled":true,"visible":true},"Label_Product":{"kind":"Label","text":"Tempavo Opal","fontColour":"#000000","enabled":true,"visible":true},"Label_Version":{"kind":"Label","text":")" +
          std::string("Version ") + ProgramVersion() +
          R"(","fontColour":"#000000","enabled":true,"visible":true},"Button_OK":{"kind":"Button","text":"&OK","enabled":true,"visible":true}}})");
}

TEST(ScriptConsole, AFailedExpectationEndsTheRunWithStatusOne) {
  ConsoleOnEmulator rig;
  rig.ForgetSent();
  const int status = rig.Run(
      "wait 3\n"
      "expect TForm_Main.Panel_Serial.text \"COM1 19200, 8-Odd-1\"\n"
      "click TForm_Main.ControlPacketsOn\n");
  EXPECT_EQ(status, kScriptExpectFailed);
  EXPECT_EQ(rig.err.str(),
            "test.zs:2: expected TForm_Main.Panel_Serial.text \"COM1 19200, 8-Odd-1\", got "
            "\"COM1 9600, 8-Odd-1\"\n");
  EXPECT_TRUE(rig.Sent(0x8E, 0xA5).empty()) << "the line after the failure ran";
}

TEST(ScriptConsole, EachMistakeNamesItsLineAndEndsTheRunBeforeAnythingIsSent) {
  struct Case {
    const char* line;
    const char* message;
  };
  const Case cases[] = {
      {"reset TForm_Main",
       "unknown command 'reset' (open, close, set, exit, key, click, answer, wait, dump, expect, "
       "quit)"},
      {"open TForm_Nothing", "unknown window 'TForm_Nothing'"},
      {"open", "open needs a window: open FORM"},
      {"click TForm_Main.Button_Nothing", "TForm_Main has no control 'Button_Nothing'"},
      {"click TForm_Main", "expected FORM.CONTROL, got 'TForm_Main'"},
      {"click TForm_Main.Shape_RxLED", "TForm_Main.Shape_RxLED is a Shape: it cannot be clicked"},
      {"set TForm_Main.Panel_TOW 5", "TForm_Main.Panel_TOW is a Panel: it cannot be set"},
      {"set TForm_About.Button_OK x", "TForm_About.Button_OK is a Button: it cannot be set"},
      {"exit TForm_Main.Panel_TOW",
       "TForm_Main.Panel_TOW is a Panel: only an edit has an exit event"},
      {"key TForm_InitialPos.Edit_Lat escape",
       "key takes enter, tab or one character, not 'escape'"},
      {"answer maybe",
       "answer takes yes, no, ok, cancel, abort, retry, ignore or file PATH, not 'maybe'"},
      {"wait soon", "wait takes a number of seconds from 0 to 86400, not 'soon'"},
      {"wait -1", "wait takes a number of seconds from 0 to 86400, not '-1'"},
      {"expect TForm_Main.Panel_TOW.checked true",
       "TForm_Main.Panel_TOW has no property 'checked' (it has text, colour, enabled, visible)"},
      {"expect TForm_Main.ControlCold.checked yes",
       "TForm_Main.ControlCold.checked is true or false, not 'yes'"},
      {"expect TForm_Main.caption x", "a window has the property visible only, not 'caption'"},
      {"quit now", "too much after the command: quit"},
  };
  for (const Case& c : cases) {
    ConsoleOnEmulator rig;
    rig.ForgetSent();
    // The line before the mistake would send the broadcast mask: a script is checked whole first.
    const int status = rig.Run(std::string("click TForm_Main.ControlPacketsOn\n") + c.line + "\n");
    EXPECT_EQ(status, kScriptMistake) << c.line;
    EXPECT_EQ(rig.err.str(), std::string("test.zs:2: ") + c.message + "\n") << c.line;
    EXPECT_TRUE(rig.Sent(0x8E, 0xA5).empty()) << c.line;
  }
}

TEST(ScriptConsole, WhatTheOperatorCannotReachIsAMistakeWhenTheLineRuns) {
  ConsoleOnEmulator rig;
  EXPECT_EQ(rig.Run("set TForm_InitialPos.Edit_Lat 5\n"), kScriptMistake);
  EXPECT_EQ(rig.err.str(), "test.zs:1: TForm_InitialPos is not open\n");

  // An answer the box does not offer: the box sends nothing and the run ends.
  rig.ForgetSent();
  EXPECT_EQ(rig.Run("answer ok\nclick TForm_Main.ControlCold\nclick TForm_Main.ControlPacketsOn\n"),
            kScriptMistake);
  EXPECT_EQ(rig.err.str(),
            "test.zs:2: the answer OK does not fit the box \"Cold reset?\" (Yes, No)\n");
  EXPECT_TRUE(rig.Sent(0x1E).empty());
  EXPECT_TRUE(rig.Sent(0x8E, 0xA5).empty());

  // Answers nobody took are reported, not silently dropped.
  EXPECT_EQ(rig.Run("answer yes\n"), kScriptPassed);
  EXPECT_EQ(rig.err.str(), "test.zs: 1 queued answer(s) were not taken by any box\n");
}

TEST(ScriptConsole, AnInteractiveConsoleReportsMistakesAndGoesOn) {
  ConsoleOnEmulator rig;
  ASSERT_TRUE(WaitForPortSetup(rig.app, rig.loop, 5000));
  ScriptConsole console(rig.app, rig.loop, rig.dialogs, rig.out, rig.err);
  const std::vector<ScriptLine> typed = {{"open TForm_Nothing"},
                                         {"expect TForm_About.visible true"},
                                         {"", true},
                                         {"open TForm_About"},
                                         {"expect TForm_About.visible true"}};
  size_t next = 0;
  const std::atomic<bool> stop{false};
  const int status = console.Run(
      [&]() -> std::optional<ScriptLine> {
        if (next == typed.size()) return std::nullopt;
        return typed[next++];
      },
      "stdin", true, stop);
  EXPECT_EQ(status, kScriptPassed);
  EXPECT_EQ(rig.err.str(),
            "stdin:1: unknown window 'TForm_Nothing'\n"
            "stdin:2: expected TForm_About.visible true, got false\n"
            "stdin:3: a line longer than 65536 bytes, more than any command\n");
  EXPECT_TRUE(rig.app.Form_About.Visible());
}

}  // namespace
}  // namespace zelkon
