#include "tools/reset_test.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "base/application.h"
#include "commands/commands.h"
#include "main/main_form.h"
#include "text/printf.h"
#include "tools/diagnostics_form.h"
#include "tools/segment_check.h"
#include "views/message_form.h"
#include "views/message_log.h"

namespace zelkon {
namespace {

// The I/O meter starts over after this many seconds, so its average follows the present rate.
constexpr int32_t kIoMeterSeconds = 1000;
// Seconds after a timed reset at which the packet and segment commands go out.
constexpr int32_t kAfterResetSeconds = 2;

constexpr uint8_t kAllPacketsMask1 = 255;
constexpr uint8_t kAllPacketsMask2 = 225;
constexpr IoOptions kAllOutputIoOptions{0x33, 0x03, 0x01, 0x03};

bool IsFactoryReset(int kind) {
  return kind == kFactoryAllReset || kind == kFactoryNavReset || kind == kFactoryConfigReset;
}

void SendResetOfKind(Application& app, int kind) {
  switch (kind) {
    case kColdReset:
      SendReset(app, ResetCode::Cold);
      break;
    case kWarmReset:
      SendWarmReset(app);
      break;
    case kFactoryAllReset:
      SendReset(app, ResetCode::FactoryAll);
      break;
    case kFactoryNavReset:
      SendReset(app, ResetCode::FactoryNavigation);
      break;
    default:
      SendReset(app, ResetCode::FactoryConfig);
      break;
  }
}

void PerformReset(Application& app, int kind) {
  ResetTest& test = app.resetTest;
  TForm_Diagnostics& form = app.Window<TForm_Diagnostics>();
  ++test.numResets;
  form.Panel_NumResets.SetCaption(Printf("%ld", static_cast<long>(test.numResets)));
  if (kind == TForm_Diagnostics::kRandomReset) kind = std::rand() % kResetKinds;
  test.currentReset = kind;
  test.LastResetText = ResetText(kind);
  SendResetOfKind(app, kind);
  form.Panel_CurrentReset.SetCaption(test.LastResetText);
}

// Every output packet on, two seconds after a reset.
void TurnOnAllPackets(Application& app) {
  SendBroadcastMask(app, kAllPacketsMask1, kAllPacketsMask2);
  app.clock.SleepMs(kCommandPauseMs);
  SendIoOptions(app, kAllOutputIoOptions);
}

// Six segments set away from their defaults and saved, for the segment check to recognise after
// the next factory reset.
void ModifySegments(Application& app) {
  SendAltitude(app, kModifiedAltitude);
  SendDatum(app, kModifiedDatum);
  app.clock.SleepMs(kCommandPauseMs);
  PortSettings port;
  port.portIndex = static_cast<uint8_t>(app.Window<TForm_Diagnostics>().DiagnosticsPortIndex);
  port.baudCode = 7;      // 9600
  port.dataBitsCode = 3;  // 8 bits
  port.parityCode = kModifiedParity;
  port.stopBitsCode = 0;  // 1 bit
  port.inputProtocol = 2;
  port.outputProtocol = 2;
  SendPortSettings(app, port);
  SendPpsOutputOption(app, kModifiedTimingOption);
  app.clock.SleepMs(kCommandPauseMs);
  SendSelfSurveyParams(app, 1, 0, kModifiedSurveyLimit);
  SendNmeaSettings(app, kModifiedNmeaInterval, 1);
  app.clock.SleepMs(kCommandPauseMs);
  SendSaveSegments(app);
}

void SetTestControlsEnabled(TForm_Diagnostics& form, bool idle) {
  form.RadioGroup_Length.SetEnabled(idle);
  form.RadioGroup_Interval.SetEnabled(idle);
  form.RadioGroup_ResetType.SetEnabled(idle);
  form.Edit_Length.SetEnabled(idle);
  form.Edit_Interval.SetEnabled(idle);
  form.Button_AppFatalStart.SetEnabled(idle);
  form.Button_AppFatalStop.SetEnabled(!idle);
}

// The receiver said nothing during the second before a due reset.
void ReceiverSilent(Application& app) {
  TForm_Diagnostics& form = app.Window<TForm_Diagnostics>();
  if (!form.CheckBox_DeadRecStop.Checked()) {
    // The test goes on: the silence is logged and the reset is sent all the same, since a reset may
    // bring the receiver back.
    MessageLogAppend(app, Printf("Receiver silent before reset #%ld\r\n",
                                 static_cast<long>(app.resetTest.numResets + 1)));
    PerformReset(app, app.resetTest.resetType);
    return;
  }
  StopResetTest(app);
  if (!form.CheckBox_EEPROM.Checked()) return;
  const Answer answer = app.dialogs.MessageBox(
      "The receiver has stopped talking.  Do you wish to check the EEPROM segments to see if they "
      "were reset?\n\nIF YES, first cycle power on the receiver and watch the Tx/Rx lights to "
      "verify the receiver is communicating again.",
      "Check Segments?", Buttons::YesNo, Icon::Question);
  if (answer == Answer::Yes) StartSegmentCheck(app);
}

void TestTick(Application& app) {
  ResetTest& test = app.resetTest;
  TForm_Diagnostics& form = app.Window<TForm_Diagnostics>();
  ++test.elapsedSeconds;
  form.Panel_Duration.SetCaption(DurationText(test.elapsedSeconds));
  if (test.lengthMode == TForm_Diagnostics::kLengthTimed &&
      test.elapsedSeconds >= test.testLength) {
    StopResetTest(app);
    return;
  }
  if (test.intervalMode == TForm_Diagnostics::kIntervalTimed) {
    const int32_t phase = test.elapsedSeconds % test.resetInterval;
    if (phase == 0) {
      if (!test.ResetTestPacketSeen) {
        ReceiverSilent(app);
        if (!test.running) return;
      } else {
        PerformReset(app, test.resetType);
      }
    }
    if (phase == kAfterResetSeconds) {
      if (form.CheckBox_Packets.Checked()) TurnOnAllPackets(app);
      if (form.CheckBox_EEPROM.Checked() && IsFactoryReset(test.currentReset)) {
        ModifySegments(app);
      }
    }
  }
  test.ResetTestPacketSeen = false;
}

void CountFatal(Application& app, bool exception) {
  ResetTest& test = app.resetTest;
  if (!test.running) return;
  TForm_Diagnostics& form = app.Window<TForm_Diagnostics>();
  MessageLogAppend(app, test.LastResetText);
  MessageLogAppend(app, Printf("Reset #%ld\r\n", static_cast<long>(test.numResets)));
  if (exception) {
    ++test.exceptionCount;
    form.Panel_Exceptions.SetCaption(Printf("%d", test.exceptionCount));
  } else {
    ++test.errorCount;
    form.Panel_Errors.SetCaption(Printf("%d", test.errorCount));
  }
  if (test.lengthMode == TForm_Diagnostics::kUntilAppFatal) StopResetTest(app);
  if (form.CheckBox_EEPROM.Checked() && IsFactoryReset(test.currentReset)) {
    StartSegmentCheck(app);
  }
}

// A timed length or interval as Start reads it: a whole number of seconds above 0.
std::optional<int32_t> ReadSeconds(Application& app, const Edit& edit, const char* field) {
  const std::optional<int32_t> seconds = ScanSeconds(edit.Text());
  if (!seconds) {
    app.dialogs.MessageBox(Printf("%s is not a number.", field), "Warning", Buttons::Ok,
                           Icon::Exclamation);
    return std::nullopt;
  }
  if (*seconds < 1) {
    app.dialogs.MessageBox(Printf("%s must be at least 1 second.", field), "Warning", Buttons::Ok,
                           Icon::Exclamation);
    return std::nullopt;
  }
  return seconds;
}

void SetProductType(Application& app) {
  const TForm_Diagnostics& form = app.Window<TForm_Diagnostics>();
  uint32_t code;
  if (form.RadioButton_Standard.Checked()) {
    code = 0;
  } else if (form.RadioButton_Sorvek.Checked()) {
    code = 1;
  } else if (form.RadioButton_Harvane.Checked()) {
    code = 4;
  } else {
    return;
  }
  SendProductType(app, code);
}

}  // namespace

const char* ResetText(int kind) {
  static constexpr const char* kTexts[kResetKinds] = {
      "Cold Reset\r\n",
      "Warm Reset\r\n",
      "Factory Reset (All)\r\n",
      "Factory Reset (Nav)\r\n",
      "Factory Reset (Config)\r\n",
  };
  return kind >= 0 && kind < kResetKinds ? kTexts[kind] : "";
}

std::string DurationText(int32_t seconds) {
  return Printf("%d:%02d:%02d", (seconds / 3600) % 24, (seconds / 60) % 60, seconds % 60);
}

std::optional<int32_t> ScanSeconds(const std::string& text) {
  const char* start = text.c_str();
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(start, &end, 10);
  if (end == start || errno == ERANGE || value < std::numeric_limits<int32_t>::min() ||
      value > std::numeric_limits<int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<int32_t>(value);
}

void ResetTestOnTracking(Application& app) {
  const ResetTest& test = app.resetTest;
  if (test.running && test.intervalMode == TForm_Diagnostics::kWhenTracking) {
    PerformReset(app, test.resetType);
  }
}

void ResetTestOnFatalError(Application& app) { CountFatal(app, false); }
void ResetTestOnFatalException(Application& app) { CountFatal(app, true); }

void StartResetTest(Application& app) {
  TForm_Diagnostics& form = app.Window<TForm_Diagnostics>();
  ResetTest& test = app.resetTest;
  const int lengthMode = form.RadioGroup_Length.ItemIndex();
  const int intervalMode = form.RadioGroup_Interval.ItemIndex();
  const int resetType = form.RadioGroup_ResetType.ItemIndex();
  // Each group has a choice from the start and cannot lose it; a bad length or interval is refused
  // before anything changes, so the previous run's counters stay on screen.
  if (lengthMode < 0 || intervalMode < 0 || resetType < 0) return;
  std::optional<int32_t> length;
  std::optional<int32_t> interval;
  if (lengthMode == TForm_Diagnostics::kLengthTimed) {
    length = ReadSeconds(app, form.Edit_Length, "Test Length");
    if (!length) return;
  }
  if (intervalMode == TForm_Diagnostics::kIntervalTimed) {
    interval = ReadSeconds(app, form.Edit_Interval, "Reset Interval");
    if (!interval) return;
  }

  test.elapsedSeconds = 0;
  test.errorCount = 0;
  test.exceptionCount = 0;
  test.numResets = 0;
  test.currentReset = -1;
  test.ResetTestPacketSeen = true;
  test.lengthMode = lengthMode;
  test.intervalMode = intervalMode;
  test.resetType = resetType;
  if (length) test.testLength = *length;
  if (interval) test.resetInterval = *interval;

  form.Shape_AppFatalLED.SetBrushColor(colours::kGreen);
  SetTestControlsEnabled(form, false);
  form.Panel_Errors.SetCaption("0");
  form.Panel_Exceptions.SetCaption("0");
  form.Panel_NumResets.SetCaption("0");
  form.Panel_Duration.SetCaption("0:00:00");
  test.running = true;
  PerformReset(app, test.resetType);
}

void StopResetTest(Application& app) {
  TForm_Diagnostics& form = app.Window<TForm_Diagnostics>();
  ResetTest& test = app.resetTest;
  test.running = false;
  form.Shape_AppFatalLED.SetBrushColor(colours::kGrey);
  SetTestControlsEnabled(form, true);
  MessageLogSeparator(app);
  MessageLogAppend(app, "TEST RESULTS:\r\n");
  MessageLogAppend(app, Printf("Num Resets: %ld\r\n", static_cast<long>(test.numResets)));
  MessageLogAppend(app, Printf("Duration:   %s\r\n", form.Panel_Duration.Caption().c_str()));
  MessageLogAppend(app, Printf("Errors:     %d\r\n", test.errorCount));
  MessageLogAppend(app, Printf("Exceptions: %d\r\n", test.exceptionCount));
  MessageLogAppend(app, Printf("Last Reset: %s", test.LastResetText.c_str()));
  app.Window<TForm_Message>().Show();
}

void ResetIoUtilization(Application& app) {
  app.state.ReceivedByteCount = 0;
  app.ioMeter.ioTicks = 0;
}

void DiagnosticsTimerTick(Application& app) {
  IoMeter& meter = app.ioMeter;
  ++meter.ioTicks;
  app.Window<TForm_Diagnostics>().Panel_Output.SetCaption(
      Printf("%u", app.state.ReceivedByteCount / static_cast<uint32_t>(meter.ioTicks)));
  if (meter.ioTicks >= kIoMeterSeconds) ResetIoUtilization(app);
  if (app.resetTest.running) TestTick(app);
}

void WireDiagnosticsWindow(Application& app, TForm_Diagnostics& form) {
  form.Button_AppFatalStart.OnClick = [&app] { StartResetTest(app); };
  form.Button_AppFatalStop.OnClick = [&app] { StopResetTest(app); };
  form.Button_AppFatalView.OnClick = [&app] { app.Window<TForm_Message>().Show(); };
  form.Button_Reset.OnClick = [&app] { ResetIoUtilization(app); };
  form.Button_Set_ProductType.OnClick = [&app] { SetProductType(app); };
  form.Button_Close.OnClick = [&app, &form] {
    SendProductionParamsQuery(app);
    form.Close();
  };
  form.Timer_Diagnostics.OnTimer = [&app] { DiagnosticsTimerTick(app); };

  TForm_Main& main = app.Window<TForm_Main>();
  const auto open = [&app, &form] {
    if (app.state.EngineeringMode) form.Show();
  };
  main.ViewDiagnostics.OnClick = open;
  main.Panel_TxRx.OnClick = open;
}

}  // namespace zelkon
