#include "config/serial_ports.h"

#include <string>
#include <type_traits>
#include <vector>

#include "base/application.h"
#include "commands/commands.h"
#include "config/serial_form.h"
#include "main/main_form.h"
#include "main/port_follow.h"

namespace zelkon {
namespace {

constexpr uint8_t kProtocolNone = 0;
constexpr uint8_t kProtocolNmea = 4;

// The codes of the first item of the baud-rate and data-bits lists: port A's lists begin at "None"
// and 7 bits, port B's at 4800 baud and 8 bits.
constexpr int kPortAFirstBaudCode = 0;
constexpr int kPortBFirstBaudCode = 6;
constexpr int kDataBits7 = 2;
constexpr int kDataBits8 = 3;

// The codes behind one port's lists: where the first item of the baud-rate and data-bits lists sits
// among the codes, and the protocol of each item of the input and output lists. The report fills
// the lists through the same codes that the set form sends.
struct PortCodes {
  const char* name;  // "Port A"
  int firstBaudCode;
  int firstDataBitsCode;
  std::vector<uint8_t> inputProtocols;
  std::vector<uint8_t> outputProtocols;
};

const PortCodes& CodesOf(uint8_t port) {
  static const PortCodes kPortACodes{"Port A",
                                     kPortAFirstBaudCode,
                                     kDataBits7,
                                     {kProtocolNone, kProtocolRxbin},
                                     {kProtocolNone, kProtocolRxbin, kProtocolNmea}};
  static const PortCodes kPortBCodes{
      "Port B", kPortBFirstBaudCode, kDataBits8, {kProtocolRxbin}, {kProtocolRxbin, kProtocolNmea}};
  return port == kPortA ? kPortACodes : kPortBCodes;
}

// The six lists of one port; const when read, writable when a report fills them.
template <class Box>
struct PortLists {
  Box& baudRate;
  Box& dataBits;
  Box& parity;
  Box& stopBits;
  Box& input;
  Box& output;
};

template <class Window>
auto ListsOf(Window& f, uint8_t port) {
  using Box = std::conditional_t<std::is_const_v<Window>, const ComboBox, ComboBox>;
  if (port == kPortA) {
    return PortLists<Box>{f.ComboBox_PortABaudRate, f.ComboBox_PortADataBits,
                          f.ComboBox_PortAParity,   f.ComboBox_PortAStopBits,
                          f.ComboBox_PortAInput,    f.ComboBox_PortAOutput};
  }
  return PortLists<Box>{f.ComboBox_PortBBaudRate, f.ComboBox_PortBDataBits, f.ComboBox_PortBParity,
                        f.ComboBox_PortBStopBits, f.ComboBox_PortBInput,    f.ComboBox_PortBOutput};
}

// Selects the item of a protocol list that stands for `code`; a code the list has no item for
// shows the text "unknown" with no selection, so the port cannot be set from it unseen.
void SelectProtocol(ComboBox& list, const std::vector<uint8_t>& protocols, uint8_t code) {
  for (size_t i = 0; i < protocols.size(); ++i) {
    if (protocols[i] == code) {
      list.SetItemIndex(static_cast<int>(i));
      return;
    }
  }
  list.SetText("unknown");
}

// Sends the port's settings, then, after the pause, offers the PC port the same line settings.
void SetPort(Application& app, uint8_t port) {
  const WindowValues<PortSettings> read = ReadPortSettings(app.Window<TForm_Serial>(), port);
  if (!SendOrWarn(app, read, [&app](const PortSettings& s) { SendPortSettings(app, s); })) return;
  app.clock.SleepMs(kCommandPauseMs);
  if (app.dialogs.MessageBox("Change PC settings to match?", "Port Settings", Buttons::YesNo,
                             Icon::Question) == Answer::Yes) {
    ApplyPortSettings(app, *read.values, app.Window<TForm_Main>().Panel_Serial);
  }
}

}  // namespace

WindowValues<PortSettings> ReadPortSettings(const TForm_Serial& form, uint8_t port) {
  const auto lists = ListsOf(form, port);
  const PortCodes& codes = CodesOf(port);
  const auto label = [&codes](const char* field) { return std::string(codes.name) + " " + field; };
  const auto code = [](int value) { return static_cast<uint8_t>(value); };
  FieldReader read;
  PortSettings settings;
  settings.portIndex = port;
  settings.baudCode = code(codes.firstBaudCode + read.Selected(lists.baudRate, label("Baud Rate")));
  settings.dataBitsCode =
      code(codes.firstDataBitsCode + read.Selected(lists.dataBits, label("Data Bits")));
  settings.parityCode = code(read.Selected(lists.parity, label("Parity")));
  settings.stopBitsCode = code(read.Selected(lists.stopBits, label("Stop Bits")));
  const int input = read.Selected(lists.input, label("Input Protocol"));
  settings.inputProtocol = codes.inputProtocols[static_cast<size_t>(input)];
  const int output = read.Selected(lists.output, label("Output Protocol"));
  settings.outputProtocol = codes.outputProtocols[static_cast<size_t>(output)];
  return read.Result(settings);
}

void ShowPortConfig(TForm_Serial& form, SegmentReadback& readback, const PortSettings& report) {
  const uint8_t port = report.portIndex == kPortA ? kPortA : kPortB;
  const auto lists = ListsOf(form, port);
  const PortCodes& codes = CodesOf(port);
  lists.baudRate.SetItemIndex(report.baudCode - codes.firstBaudCode);
  // A data-bits code the list has no item for leaves the list as it was.
  const int dataBits = report.dataBitsCode - codes.firstDataBitsCode;
  if (dataBits >= 0 && dataBits < static_cast<int>(lists.dataBits.Items().size())) {
    lists.dataBits.SetItemIndex(dataBits);
  }
  lists.parity.SetItemIndex(report.parityCode);
  lists.stopBits.SetItemIndex(report.stopBitsCode);
  SelectProtocol(lists.input, codes.inputProtocols, report.inputProtocol);
  SelectProtocol(lists.output, codes.outputProtocols, report.outputProtocol);
  (report.portIndex == kPortA ? readback.portAParity : readback.portBParity) = report.parityCode;
}

void WireSerialPortsWindow(Application& app, TForm_Serial& form) {
  form.OnActivate = [&app] {
    SendPortConfigQuery(app, kPortA);
    app.clock.SleepMs(kCommandPauseMs);
    SendPortConfigQuery(app, kPortB);
  };
  form.Button_SetA.OnClick = [&app] { SetPort(app, kPortA); };
  form.Button_SetB.OnClick = [&app] { SetPort(app, kPortB); };
  form.Button_Close.OnClick = [&form] { form.Close(); };
}

}  // namespace zelkon
