#include "config/serial_ports.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "support/test_rig.h"

namespace zelkon {
namespace {

using testing::PacketBytes;
using Packets = std::vector<PacketBytes>;

class SerialPorts : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(rig.Start());
    configuredAtStart = rig.port.configured.size();
  }

  // Port A 9600, 8, Odd, 1, RXBIN in and out.
  void ChoosePortA() {
    form.ComboBox_PortABaudRate.SetItemIndex(7);
    form.ComboBox_PortADataBits.SetItemIndex(1);
    form.ComboBox_PortAParity.SetItemIndex(1);
    form.ComboBox_PortAStopBits.SetItemIndex(0);
    form.ComboBox_PortAInput.SetItemIndex(1);
    form.ComboBox_PortAOutput.SetItemIndex(1);
  }
  // Port B 115200, 8, None, 2, RXBIN in, NMEA out.
  void ChoosePortB() {
    form.ComboBox_PortBBaudRate.SetItemIndex(5);
    form.ComboBox_PortBDataBits.SetItemIndex(0);
    form.ComboBox_PortBParity.SetItemIndex(0);
    form.ComboBox_PortBStopBits.SetItemIndex(1);
    form.ComboBox_PortBInput.SetItemIndex(0);
    form.ComboBox_PortBOutput.SetItemIndex(1);
  }
  Packets Sent() { return rig.port.SentPackets(); }
  bool PcPortChanged() { return rig.port.configured.size() != configuredAtStart; }

  testing::TestRig rig;
  TForm_Serial& form = rig.app.Form_Serial;
  Panel& panelSerial = rig.app.Form_Main.Panel_Serial;
  size_t configuredAtStart = 0;
};

TEST_F(SerialPorts, ActivationAsksForPortAThenPortB) {
  const int64_t start = rig.clock.NowMs();
  form.Activate();
  EXPECT_EQ(Sent(), (Packets{{0xBC, 0x00}, {0xBC, 0x01}}));
  const auto writes = rig.port.Writes();
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_EQ(writes[0].timeMs - start, 100);
  EXPECT_EQ(writes[1].timeMs - writes[0].timeMs, 300);  // the pause and the send's own wait
}

TEST_F(SerialPorts, SetPortAAnsweredNoSendsTheSettingsAndLeavesThePcPort) {
  ChoosePortA();
  int64_t askedAt = -1;
  rig.dialogs.whileOpen = [&](const auto&) { askedAt = rig.clock.NowMs(); };
  rig.dialogs.Answer(Answer::No);
  form.Button_SetA.Click();

  EXPECT_EQ(Sent(), (Packets{{0xBC, 0x00, 0x07, 0x07, 0x03, 0x01, 0x00, 0x00, 0x02, 0x02, 0x00}}));
  ASSERT_EQ(rig.dialogs.Boxes().size(), 1u);
  const auto& box = rig.dialogs.Boxes()[0];
  EXPECT_EQ(box.text, "Change PC settings to match?");
  EXPECT_EQ(box.caption, "Port Settings");
  EXPECT_EQ(box.buttons, Buttons::YesNo);
  EXPECT_EQ(askedAt - rig.port.Writes().back().timeMs, 200);
  EXPECT_FALSE(PcPortChanged());
  EXPECT_EQ(panelSerial.Caption(), "COM1 9600, 8-Odd-1");
}

TEST_F(SerialPorts, SetPortBAnsweredYesMovesThePcPortToTheSameLine) {
  ChoosePortB();
  rig.dialogs.Answer(Answer::Yes);
  form.Button_SetB.Click();

  EXPECT_EQ(Sent(), (Packets{{0xBC, 0x01, 0x0B, 0x0B, 0x03, 0x00, 0x01, 0x00, 0x02, 0x04, 0x00}}));
  ASSERT_TRUE(PcPortChanged());
  EXPECT_EQ(rig.port.configured.back(), (LineSettings{115200, 8, Parity::None, 2}));
  EXPECT_EQ(panelSerial.Caption(), "COM1 115200, 8-None-2");
  EXPECT_TRUE(rig.app.state.LinkReady);

  // The link goes on at the new speed: the next command is written.
  form.Activate();
  EXPECT_EQ(Sent().back(), (PacketBytes{0xBC, 0x01}));
}

TEST_F(SerialPorts, EachListItemGoesOutAsItsCode) {
  struct Case {
    std::function<void()> choose;
    void (*set)(TForm_Serial&);
    PacketBytes sent;
  };
  const auto setA = [](TForm_Serial& f) { f.Button_SetA.Click(); };
  const auto setB = [](TForm_Serial& f) { f.Button_SetB.Click(); };
  const Case cases[] = {
      // "None" goes out as baud code 0 in both baud fields; the PC takes 9600 for it.
      {[&] { form.ComboBox_PortABaudRate.SetItemIndex(0); },
       setA,
       {0xBC, 0x00, 0x00, 0x00, 0x03, 0x01, 0x00, 0x00, 0x02, 0x02, 0x00}},
      {[&] {
         form.ComboBox_PortABaudRate.SetItemIndex(1);  // "110  "
         form.ComboBox_PortADataBits.SetItemIndex(0);
         form.ComboBox_PortAParity.SetItemIndex(2);
         form.ComboBox_PortAStopBits.SetItemIndex(1);
         form.ComboBox_PortAInput.SetItemIndex(0);
         form.ComboBox_PortAOutput.SetItemIndex(0);
       },
       setA,
       {0xBC, 0x00, 0x01, 0x01, 0x02, 0x02, 0x01, 0x00, 0x00, 0x00, 0x00}},
      {[&] { form.ComboBox_PortAOutput.SetItemIndex(2); },
       setA,
       {0xBC, 0x00, 0x07, 0x07, 0x03, 0x01, 0x00, 0x00, 0x02, 0x04, 0x00}},
      {[&] {
         form.ComboBox_PortBBaudRate.SetItemIndex(0);  // 4800
         form.ComboBox_PortBParity.SetItemIndex(2);
         form.ComboBox_PortBOutput.SetItemIndex(0);
       },
       setB,
       {0xBC, 0x01, 0x06, 0x06, 0x03, 0x02, 0x01, 0x00, 0x02, 0x02, 0x00}},
  };
  for (const Case& c : cases) {
    ChoosePortA();
    ChoosePortB();
    c.choose();
    rig.port.ClearWrites();
    rig.dialogs.Answer(Answer::No);
    c.set(form);
    EXPECT_EQ(Sent(), (Packets{c.sent}));
  }

  ChoosePortA();
  form.ComboBox_PortABaudRate.SetItemIndex(0);
  rig.dialogs.Answer(Answer::Yes);
  form.Button_SetA.Click();
  EXPECT_EQ(rig.port.configured.back(), (LineSettings{9600, 8, Parity::Odd, 1}));
  EXPECT_EQ(panelSerial.Caption(), "COM1 0000, 8-Odd-1");
}

TEST_F(SerialPorts, AListWithoutASelectionSendsNothingAndAsksNothing) {
  struct Case {
    ComboBox* list;
    Button* set;
    const char* warning;
  };
  const Case cases[] = {
      {&form.ComboBox_PortABaudRate, &form.Button_SetA, "Port A Baud Rate is not set."},
      {&form.ComboBox_PortADataBits, &form.Button_SetA, "Port A Data Bits is not set."},
      {&form.ComboBox_PortAParity, &form.Button_SetA, "Port A Parity is not set."},
      {&form.ComboBox_PortAStopBits, &form.Button_SetA, "Port A Stop Bits is not set."},
      {&form.ComboBox_PortAInput, &form.Button_SetA, "Port A Input Protocol is not set."},
      {&form.ComboBox_PortAOutput, &form.Button_SetA, "Port A Output Protocol is not set."},
      {&form.ComboBox_PortBBaudRate, &form.Button_SetB, "Port B Baud Rate is not set."},
      {&form.ComboBox_PortBDataBits, &form.Button_SetB, "Port B Data Bits is not set."},
      {&form.ComboBox_PortBParity, &form.Button_SetB, "Port B Parity is not set."},
      {&form.ComboBox_PortBStopBits, &form.Button_SetB, "Port B Stop Bits is not set."},
      {&form.ComboBox_PortBInput, &form.Button_SetB, "Port B Input Protocol is not set."},
      {&form.ComboBox_PortBOutput, &form.Button_SetB, "Port B Output Protocol is not set."},
  };
  for (const Case& c : cases) {
    ChoosePortA();
    ChoosePortB();
    c.list->SetItemIndex(-1);
    rig.dialogs.Answer(Answer::Ok);
    c.set->Click();
    ASSERT_FALSE(rig.dialogs.Boxes().empty());
    const auto& box = rig.dialogs.Boxes().back();
    EXPECT_EQ(box.text, c.warning);
    EXPECT_EQ(box.caption, "Warning");
    EXPECT_EQ(box.buttons, Buttons::Ok);
    EXPECT_EQ(box.icon, Icon::Exclamation);
  }
  // A protocol the lists have no entry for shows "unknown" with nothing selected.
  ChoosePortA();
  form.ComboBox_PortAInput.SetText("unknown");
  rig.dialogs.Answer(Answer::Ok);
  form.Button_SetA.Click();
  EXPECT_EQ(rig.dialogs.Boxes().back().text, "Port A Input Protocol is not set.");

  // Of several, the first in the window's order; the other port's lists do not count.
  form.ComboBox_PortAParity.SetItemIndex(-1);
  form.ComboBox_PortABaudRate.SetItemIndex(-1);
  ChoosePortB();
  rig.dialogs.Answer(Answer::Ok);
  form.Button_SetA.Click();
  EXPECT_EQ(rig.dialogs.Boxes().back().text, "Port A Baud Rate is not set.");

  EXPECT_EQ(rig.dialogs.Boxes().size(), std::size(cases) + 2);
  EXPECT_TRUE(Sent().empty());
  EXPECT_FALSE(PcPortChanged());
}

}  // namespace
}  // namespace zelkon
