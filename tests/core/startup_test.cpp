#include "core/startup.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "core/headless.h"
#include "main/comm_form.h"
#include "platform/replay_serial_port.h"
#include "receiver/receiver_type.h"
#include "support/test_rig.h"

namespace zelkon {
namespace {

using testing::TestRig;

std::variant<LaunchOptions, std::string> Parse(std::vector<std::string> args) {
  args.insert(args.begin(), "zelkon");
  std::vector<char*> argv;
  for (auto& arg : args)
    argv.push_back(arg.data());
  return ParseCommandLine(static_cast<int>(argv.size()), argv.data());
}

LaunchOptions Options(std::vector<std::string> args) {
  auto parsed = Parse(std::move(args));
  if (auto* error = std::get_if<std::string>(&parsed)) {
    ADD_FAILURE() << *error;
    return {};
  }
  return std::get<LaunchOptions>(parsed);
}

TEST(CommandLine, PortAndEngineeringSwitchesGoBySecondCharacter) {
  EXPECT_EQ(Options({"-c5"}).comPort, 5);
  EXPECT_FALSE(Options({"-c5"}).engineeringMode);
  EXPECT_EQ(Options({"/c5"}).comPort, 5);
  const LaunchOptions both = Options({"-d", "-c2"});
  EXPECT_TRUE(both.engineeringMode);
  EXPECT_EQ(both.comPort, 2);
  EXPECT_TRUE(Options({"xd"}).engineeringMode);
  EXPECT_EQ(Options({"-cx"}).comPort, 0);  // opens "COM0", which fails with its message
  EXPECT_EQ(Options({"-c3", "-c9"}).comPort, 3);
  EXPECT_FALSE(Options({"d"}).engineeringMode);  // shorter than two characters
  EXPECT_FALSE(Options({}).HasPort());
}

TEST(CommandLine, LongOptionsAndTheirValuesNeverTakePartInTheScans) {
  const LaunchOptions device = Options({"--device", "/dev/ttyUSB0"});
  EXPECT_EQ(device.devicePath, "/dev/ttyUSB0");
  EXPECT_FALSE(device.engineeringMode);  // "/dev..." has 'd' second
  EXPECT_FALSE(device.comPort.has_value());
  EXPECT_TRUE(device.HasPort());

  const LaunchOptions demo =
      Options({"--demo", "--headless", "--screenshot", "/tmp/xd.png", "--after", "2.5"});
  EXPECT_TRUE(demo.demo && demo.headless);
  EXPECT_EQ(demo.screenshotFile, "/tmp/xd.png");
  EXPECT_DOUBLE_EQ(demo.screenshotAfter, 2.5);
  EXPECT_FALSE(demo.engineeringMode);
  EXPECT_EQ(Options({"--ntp", "yes"}).ntp, true);
  EXPECT_EQ(Options({"--ntp", "no", "-c1"}).ntp, false);
  EXPECT_FALSE(Options({"-c1"}).ntp.has_value());
  EXPECT_TRUE(Options({"--help"}).showHelp);
  EXPECT_TRUE(Options({"--version"}).showVersion);
}

TEST(CommandLine, AReplayTakesTheRecordingInPlaceOfAPortAtTheSpeedGiven) {
  const LaunchOptions replay = Options({"--replay", "/tmp/day.rxb", "--headless"});
  EXPECT_EQ(replay.replayPath, "/tmp/day.rxb");
  EXPECT_TRUE(replay.HasPort());
  EXPECT_TRUE(replay.headless);
  EXPECT_FALSE(replay.engineeringMode);  // "/tmp..." is a value, not a switch
  EXPECT_DOUBLE_EQ(replay.replaySpeed, 1.0);
  EXPECT_DOUBLE_EQ(Options({"--speed", "2.5", "--replay", "a.rxb"}).replaySpeed, 2.5);
  EXPECT_DOUBLE_EQ(Options({"--replay", "a.rxb", "--speed", "0.5"}).replaySpeed, 0.5);
  EXPECT_EQ(Options({"--replay", "a.rxb", "--speed", "max"}).replaySpeed,
            ReplaySerialPort::kAsFastAsPossible);
  const LaunchOptions script = Options({"--replay", "a.rxb", "--script", "x.zs", "-d"});
  EXPECT_EQ(script.scriptPath, "x.zs");
  EXPECT_TRUE(script.engineeringMode);
}

TEST(CommandLine, TheMetricsEndpointListensOnTheLoopbackUnlessAnAddressIsGiven) {
  const LaunchOptions port = Options({"--demo", "--headless", "--metrics-listen", "9469"});
  ASSERT_TRUE(port.metricsListen);
  EXPECT_EQ(port.metricsListen->address, "127.0.0.1");
  EXPECT_EQ(port.metricsListen->port, 9469);
  const LaunchOptions any =
      Options({"--replay", "a.rxb", "--script", "x.zs", "--metrics-listen", "0.0.0.0:0"});
  ASSERT_TRUE(any.metricsListen);
  EXPECT_EQ(any.metricsListen->address, "0.0.0.0");
  EXPECT_EQ(any.metricsListen->port, 0);
  const LaunchOptions ipv6 = Options({"--headless", "--metrics-listen", "[::1]:65535"});
  ASSERT_TRUE(ipv6.metricsListen);
  EXPECT_EQ(ipv6.metricsListen->address, "::1");
  EXPECT_EQ(ipv6.metricsListen->port, 65535);
  EXPECT_FALSE(Options({"--headless"}).metricsListen);

  for (const std::string bad :
       {"", "65536", "99999999999", "-1", "port", "9469x", "127.0.0.1:", "localhost:9469",
        "127.0.0:9469", "::1:9469", "[::1]9469", "[127.0.0.1]:9469", "[::1]:"}) {
    const auto parsed = Parse({"--headless", "--metrics-listen", bad});
    ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << bad;
    EXPECT_NE(std::get<std::string>(parsed).find("'" + bad + "'"), std::string::npos)
        << std::get<std::string>(parsed);
  }
  // The windowed run serves them too.
  const LaunchOptions windowed = Options({"--demo", "--metrics-listen", "9469"});
  ASSERT_TRUE(windowed.metricsListen);
  EXPECT_FALSE(windowed.headless);
}

TEST(CommandLine, MistakesAreRefusedWithAMessage) {
  for (const auto& args :
       std::vector<std::vector<std::string>>{{"--device"},
                                             {"--colour"},
                                             {"--after", "soon"},
                                             {"--ntp"},
                                             {"--ntp", "maybe"},
                                             {"-c1", "--demo"},
                                             {"--device", "/dev/ttyS0", "--demo"},
                                             {"--replay"},
                                             {"--replay", "a.rxb", "--demo"},
                                             {"-c2", "--replay", "a.rxb"},
                                             {"--speed", "2"},
                                             {"--replay", "a.rxb", "--speed"},
                                             {"--replay", "a.rxb", "--speed", "0"},
                                             {"--replay", "a.rxb", "--speed", "-1"},
                                             {"--replay", "a.rxb", "--speed", "fast"},
                                             {"--replay", "a.rxb", "--speed", "inf"},
                                             {"--headless", "--metrics-listen"},
                                             {"--refclock", "sock:gps.sock"},
                                             {"--refclock", "shm:256"},
                                             {"--refclock", "shm:2", "--replay", "a.rxb"}}) {
    const auto parsed = Parse(args);
    ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << args[0];
    EXPECT_FALSE(std::get<std::string>(parsed).empty());
  }
}

// A remote port typed in the chooser opens by its normalised name and is remembered first (five at
// most, listed before the emulator); a malformed one is refused with the parser's reason.
TEST(PortChooser, RemotePortsAreTypedRefusedRememberedAndListed) {
  testing::MemorySettings settings;
  std::optional<TForm_Comm> chooser;
  const auto accept = [&](const std::string& typed, int index = 0) {
    chooser.emplace(ChooserEntries({"/dev/ttyUSB0"}, settings));
    chooser->Edit_Remote.SetText(typed);
    chooser->ComboBox_Com.SetItemIndex(index);
    return AcceptChooser(*chooser, settings).value_or(PortChoice{-1, "", false});  // -1: refused
  };
  EXPECT_EQ(accept(" rfc2217://[::1]:2000\t").devicePath, "rfc2217://[::1]:2000");
  for (const char* name :
       {"tcp://a:1", "tcp://b:2", "tcp://c:3", "tcp://d:4", "tcp://b:2", "tcp://e:5"})
    EXPECT_EQ(accept(name).devicePath, name);
  EXPECT_EQ(settings.values.at(kRemotePortsSetting),
            "tcp://e:5 tcp://b:2 tcp://d:4 tcp://c:3 tcp://a:1");

  const auto stored = settings.values;
  EXPECT_EQ(accept("tcp://host:70000").number, -1);
  EXPECT_EQ(chooser->Label_Error.Caption(),
            "Remote port: the port must be a number from 1 to 65535, not '70000'");
  EXPECT_EQ(settings.values, stored);

  const std::vector<std::string>& items = chooser->ComboBox_Com.Items();
  EXPECT_EQ(std::vector(items.begin() + TForm_Comm::kNumberedPorts, items.end()),
            (std::vector<std::string>{"/dev/ttyUSB0", "tcp://e:5", "tcp://b:2", "tcp://d:4",
                                      "tcp://c:3", "tcp://a:1", kEmulatorEntry}));
  // A listed remote port opens and moves first; a numbered port is not remembered.
  EXPECT_EQ(accept("", TForm_Comm::kNumberedPorts + 3).devicePath, "tcp://d:4");
  EXPECT_EQ(accept("", 2).number, 3);
  EXPECT_EQ(
      ReadRemotePorts(settings),
      (std::vector<std::string>{"tcp://d:4", "tcp://e:5", "tcp://b:2", "tcp://c:3", "tcp://a:1"}));
}

TEST(Headless, MainWindowStateAsOneJsonObject) {
  TestRig rig;
  ASSERT_TRUE(rig.Start(3));
  TForm_Main& f = rig.app.Form_Main;
  f.Panel_TOW.SetCaption("318000");
  f.Panel_Status.SetCaption("Say \"hi\"\\");
  f.Panel_Latitude.SetCaption("37\u00B0 30' 0.000");
  f.Shape_RxLED.SetBrushColor(colours::kGreen);

  std::string json = MainWindowJson(rig.app);
  EXPECT_EQ(json.find('\n'), std::string::npos);
  EXPECT_EQ(
      json.rfind("{\"title\":\"3 Zelkon\",\"receiverType\":null,\"pollTimingPackets\":false,", 0),
      0u)
      << json;
  EXPECT_NE(json.find("\"Panel_TOW\":\"318000\""), std::string::npos);
  EXPECT_NE(json.find("\"Panel_Status\":\"Say \\\"hi\\\"\\\\\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"Panel_Latitude\":\"37\u00B0 30' 0.000\""), std::string::npos);
  EXPECT_NE(json.find("\"Panel_SV12\":\"0\""), std::string::npos);
  EXPECT_NE(json.find("\"Shape_RxLED\":\"#00FF00\""), std::string::npos);
  EXPECT_NE(json.find("\"Shape_Bit11\":\"#808080\""), std::string::npos);
  EXPECT_EQ(json.back(), '}');

  rig.settings.values["NTP"] = "0";
  ConfigureReceiverType(rig.app, kTypeT2K);
  json = MainWindowJson(rig.app);
  EXPECT_NE(json.find("\"receiverType\":\"&Tempavo Opal/2000\",\"pollTimingPackets\":true"),
            std::string::npos);
}

// Counts lines and asks the run to stop after the third.
class LineCounter : public std::stringbuf {
 public:
  explicit LineCounter(std::atomic<bool>& stop) : stop_(stop) {}
  int sync() override {
    if (str().size() > 0 && ++lines_ >= 3) stop_ = true;
    return 0;
  }
  int lines_ = 0;

 private:
  std::atomic<bool>& stop_;
};

TEST(Headless, PrintsOneLineAfterEveryPollRound) {
  TestRig rig;
  ASSERT_TRUE(rig.Start());
  std::atomic<bool> stop{false};
  LineCounter buffer(stop);
  std::ostream out(&buffer);
  std::ostringstream err;
  EXPECT_EQ(RunHeadless(rig.app, rig.loop, out, err, stop), 0);
  EXPECT_EQ(err.str(), "");

  const std::string text = buffer.str();
  std::vector<std::string> lines;
  std::istringstream split(text);
  for (std::string line; std::getline(split, line);)
    lines.push_back(line);
  ASSERT_EQ(lines.size(), 3u);
  for (const auto& line : lines)
    EXPECT_EQ(line.rfind("{\"title\":\"1 Zelkon\"", 0), 0u);
  // The poll loop starts after the start-up set-up (about 1.56 s); six ticks of 200 ms per line.
  EXPECT_GE(rig.clock.NowMs(), 1560 + 3 * 6 * 200);
  EXPECT_LT(rig.clock.NowMs(), 1560 + 3 * 6 * 200 + 2000);
}

}  // namespace
}  // namespace zelkon
