// End-to-end tests of the zelkon-decode executable: real files and standard input, exact output.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "commands/commands.h"
#include "link/framing.h"
#include "sample_stream.h"
#include "sim/sim_harness.h"
#include "support/report_fields.h"
#include "text/angles.h"

extern char** environ;

namespace zelkon {
namespace {

using Bytes = std::vector<uint8_t>;
using testing::FieldNumber;
using testing::FieldText;

struct Result {
  int exitCode = -1;
  std::string out;
  std::string err;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The expected output line of one packet.
std::string Line(uint8_t id, const Bytes& payload) {
  char hex[4];
  std::snprintf(hex, sizeof hex, "%02X", id);
  std::string line = std::string(hex) + " " + std::to_string(payload.size());
  for (uint8_t b : payload) {
    std::snprintf(hex, sizeof hex, " %02X", b);
    line += hex;
  }
  return line + "\n";
}

class DecodeToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = std::filesystem::temp_directory_path() / "zelkon-decode-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string WriteFile(const std::string& name, const Bytes& bytes) {
    const std::string path = dir_ / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  // Runs zelkon-decode with `args` in `dir_`, standard input read from `stdinPath`.
  Result Decode(const std::vector<std::string>& args, const std::string& stdinPath = "/dev/null") {
    const std::string outPath = dir_ / "stdout";
    const std::string errPath = dir_ / "stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, stdinPath.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addchdir_np(&actions, dir_.c_str());
    std::vector<char*> argv{const_cast<char*>(ZELKON_DECODE_PATH)};
    for (const std::string& arg : args)
      argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    Result result;
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, ZELKON_DECODE_PATH, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    EXPECT_EQ(spawned, 0) << "cannot start " << ZELKON_DECODE_PATH;
    if (spawned != 0) return result;
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    result.out = ReadAll(outPath);
    result.err = ReadAll(errPath);
    return result;
  }

  // Decodes `bytes` three ways (file argument, standard input, '-' with standard input) and expects
  // the same clean result from each.
  void ExpectDecodes(const Bytes& bytes, const std::string& expected) {
    const std::string path = WriteFile("input.rxb", bytes);
    const std::pair<const char*, Result> runs[] = {
        {"FILE", Decode({path})}, {"stdin", Decode({}, path)}, {"-", Decode({"-"}, path)}};
    for (const auto& [how, run] : runs) {
      SCOPED_TRACE(how);
      EXPECT_EQ(run.exitCode, 0);
      EXPECT_EQ(run.out, expected);
      EXPECT_EQ(run.err, "");
    }
  }

  std::filesystem::path dir_;
};

TEST_F(DecodeToolTest, PrintsIdLengthAndDestuffedPayload) {
  ExpectDecodes({0x10, 0x41, 0x01, 0x10, 0x10, 0x02, 0x10, 0x03}, "41 3 01 10 02\n");
}

TEST_F(DecodeToolTest, PrintsEveryPacketInOrderWithUpperCaseHex) {
  Bytes payload300;
  for (int i = 0; i < 300; ++i)
    payload300.push_back(static_cast<uint8_t>(i * 7));
  Bytes stream = {0x55, 0xAA, 0x03,                                // noise before the first frame
                  0x10, 0x8F, 0xAB, 0xFF, 0x0A, 0x03, 0x10, 0x03,  // superpacket, lone 03 as data
                  0x10, 0x46, 0x10, 0x03,                          // empty payload
                  0x10, 0x5C};
  for (uint8_t b : payload300) {
    if (b == kDle) stream.push_back(kDle);
    stream.push_back(b);
  }
  stream.insert(stream.end(), {0x10, 0x03});
  ExpectDecodes(stream, "8F 4 AB FF 0A 03\n46 0\n" + Line(0x5C, payload300));
}

TEST_F(DecodeToolTest, ReassemblesFramesSplitAcrossTheReadBoundary) {
  // Each case puts one byte of the frame at the last index of the first 8192-byte read.
  struct Case {
    const char* name;
    Bytes frame;
    size_t lastOfFirstRead;  // index in `frame`
    const char* expected;
  };
  const Case cases[] = {
      {"closing DLE | ETX", {0x10, 0x41, 0x01, 0x02, 0x03, 0x10, 0x03}, 5, "41 3 01 02 03\n"},
      {"stuffed DLE | DLE", {0x10, 0x41, 0xAA, 0x10, 0x10, 0xBB, 0x10, 0x03}, 3, "41 3 AA 10 BB\n"},
      {"opening DLE | id", {0x10, 0x41, 0x01, 0x02, 0x03, 0x10, 0x03}, 0, "41 3 01 02 03\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes stream(kReadBufferSize - 1 - c.lastOfFirstRead, 0x55);  // noise without any DLE
    stream.insert(stream.end(), c.frame.begin(), c.frame.end());
    ASSERT_EQ(stream[kReadBufferSize - 1], 0x10);
    stream.insert(stream.end(), {0x10, 0x42, 0x07, 0x10, 0x03});  // and the next frame still works
    ExpectDecodes(stream, std::string(c.expected) + "42 1 07\n");
  }
}

TEST_F(DecodeToolTest, EmptyInputPrintsNothing) { ExpectDecodes({}, ""); }

TEST_F(DecodeToolTest, UnreadableInputFailsWithMessage) {
  const std::string missing = dir_ / "no-such-file.rxb";
  const Result noFile = Decode({missing});
  EXPECT_EQ(noFile.exitCode, 1);
  EXPECT_EQ(noFile.out, "");
  EXPECT_NE(noFile.err.find(missing), std::string::npos) << noFile.err;

  const Result directory = Decode({dir_});
  EXPECT_EQ(directory.exitCode, 1);
  EXPECT_EQ(directory.out, "");
  EXPECT_NE(directory.err.find("zelkon-decode:"), std::string::npos) << directory.err;
}

TEST_F(DecodeToolTest, CommandLine) {
  const Result help = Decode({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind("Usage: zelkon-decode", 0), 0u) << help.out;
  EXPECT_EQ(help.err, "");

  const std::string file = WriteFile("one.rxb", {0x10, 0x46, 0x00, 0x00, 0x10, 0x03});
  const std::vector<std::vector<std::string>> badCommandLines = {
      {"--bogus"}, {"-x", file}, {file, file}};
  for (const std::vector<std::string>& bad : badCommandLines) {
    SCOPED_TRACE(bad.front());
    const Result run = Decode(bad);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("Usage: zelkon-decode"), std::string::npos) << run.err;
  }

  // After "--" a name that starts with '-' is a file.
  WriteFile("-dashed.rxb", {0x10, 0x46, 0x00, 0x00, 0x10, 0x03});
  const Result run = Decode({"--", "-dashed.rxb"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "46 2 00 00\n");
}

TEST_F(DecodeToolTest, SampleStreamDecodesToItsPacketList) {
  // 120 rounds are about 75 KB: the frames straddle several read boundaries.
  const std::vector<SamplePacket> packets = SampleReportPackets(120);
  std::string expected;
  for (const SamplePacket& p : packets)
    expected += Line(p.id, p.payload);
  ExpectDecodes(FramePackets(packets), expected);
}

// ---- --json ------------------------------------------------------------------------------------

// A receiver's text is written as valid UTF-8: each byte that is not part of a UTF-8 character
// becomes U+FFFD.
TEST_F(DecodeToolTest, JsonMarksWhatItCannotParseAndRepairsTheReceiversTexts) {
  const Bytes stream = {0x10, 0x8F, 0xAB, 0x01, 0x02, 0x10, 0x03,  // 0x8F-AB, 3 bytes: wrong length
                        0x10, 0x4B, 0x10, 0x10, 0x10, 0x03,        // 0x4B: shown nowhere, no parser
                        0x10, 0x4E, 0x59, 0x10, 0x03,              // time accepted, 'Y'
                        0x10, 0x5F, 0xFF, 'a',  0xFF, 0xFE, 0xC3, 0xA9, 0xE2, 0x10, 0x03};  // fatal
  const std::string path = WriteFile("json.rxb", stream);
  const Result run = Decode({"--json", path});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            "{\"id\":143,\"subcode\":171,\"length\":3,\"parsed\":false,\"payload\":\"AB0102\"}\n"
            "{\"id\":75,\"length\":1,\"parsed\":false,\"payload\":\"10\"}\n"
            "{\"id\":78,\"length\":1,\"report\":\"timeAccepted\",\"parsed\":true,"
            "\"accepted\":true}\n"
            "{\"id\":95,\"subcode\":255,\"length\":7,\"report\":\"fatalError\",\"parsed\":true,"
            "\"text\":\"a\xEF\xBF\xBD\xEF\xBF\xBD\xC3\xA9\xEF\xBF\xBD\"}\n");
}

// The emulator's stream of two minutes of queries and broadcasts through zelkon-decode --json:
// every report the monitor decodes parses, with the emulator's own values.
TEST_F(DecodeToolTest, JsonOfTheEmulatorsStreamHoldsTheEmulatorsValues) {
  sim::SimOptions options;
  options.seed = 11;
  options.acquireSeconds = 5;
  options.surveySeconds = 30;
  testing::SimHarness h(options);
  Bytes stream;
  const auto take = [&] {
    const Bytes bytes = h.engine.TakeOutput();
    stream.insert(stream.end(), bytes.begin(), bytes.end());
  };
  h.Run(70);  // tracking from 5 s, fixes from about 23 s, the survey done and the position held
  h.engine.TakeOutput();
  const sim::Receiver& r = h.engine.receiver();
  ASSERT_TRUE(r.PositionHeld());

  SendSoftwareVersionQuery(h);
  SendManufacturingParamsQuery(h);
  SendProductionParamsQuery(h);
  SendAltitudeQuery(h);
  SendInitialTime(h, 0, 0);
  // Positions and velocities as automatic outputs, in both frames, single then double precision.
  SendBroadcastMask(h, 0, 0xE0);
  SendAutoOutputMask(h, 1u << 30);
  for (const bool doublePrecision : {false, true}) {
    SendIoOptions(h, {static_cast<uint8_t>(doublePrecision ? 0x13 : 0x03), 0x03, 0, 0});
    h.Run(1);
    take();
  }
  for (int second = 0; second < 5; ++second) {
    SendTimingPacketsQuery(h);
    SendTimeQuery(h);
    SendHealthQuery(h);
    SendComprehensiveTimeQuery(h);
    SendPrimaryUtcTimeQuery(h);
    SendSatelliteSelectionQuery(h);
    SendTrackingStatusQuery(h);
    SendRawMeasurementQuery(h, r.sky.Channels()[0].prn);
    SendEphemerisStatusQuery(h, r.sky.Channels()[0].prn);
    h.Run(1);
    take();
  }

  const Result run = Decode({"--json", WriteFile("emulator.rxb", stream)});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  std::vector<std::string> lines;
  for (size_t start = 0, end; (end = run.out.find('\n', start)) != std::string::npos;
       start = end + 1) {
    lines.push_back(run.out.substr(start, end - start));
  }
  ASSERT_EQ(lines.size(), testing::Deframe(stream).size());

  std::map<std::string, int> seen;
  const double latitude = DegreesOf(r.Position().latitude);
  const double longitude = DegreesOf(r.Position().longitude);
  // The reports the monitor decodes, by id (and sub-code for 0x8F): 0x4B has no layout to parse,
  // and the read-back reports (an answer to the I/O options, say) get their parsers with the
  // windows they fill.
  const std::set<int> decoded = {0x41, 0x42, 0x43, 0x45, 0x46, 0x4A, 0x4E,
                                 0x56, 0x5A, 0x5B, 0x5C, 0x6D, 0x83, 0x84};
  const std::set<int> decodedSubCodes = {0x0B, 0x41, 0x42, 0xAB, 0xAC, 0xAD};
  for (const std::string& line : lines) {
    SCOPED_TRACE(line);
    const int id = static_cast<int>(FieldNumber(line, "id"));
    const bool isDecoded =
        id == 0x8F ? decodedSubCodes.count(static_cast<int>(FieldNumber(line, "subcode"))) == 1
                   : decoded.count(id) == 1;
    EXPECT_EQ(FieldText(line, "parsed"), isDecoded ? "true" : "false");
    const std::string report = FieldText(line, "report");
    ++seen[report];
    if (report == "\"timingSupplemental\"") {
      // The held position, exactly: the shortest text of a double reads back as that double.
      EXPECT_EQ(FieldNumber(line, "latitudeDeg"), latitude);
      EXPECT_EQ(FieldNumber(line, "longitudeDeg"), longitude);
      EXPECT_EQ(FieldNumber(line, "altitudeM"), r.Position().altitude);
      EXPECT_EQ(FieldText(line, "ppsGenerated"), "true");
    } else if (report == "\"llaPositionDouble\"" || report == "\"comprehensiveTime\"") {
      EXPECT_EQ(FieldNumber(line, "latitudeDeg"), latitude);
      EXPECT_EQ(FieldNumber(line, "longitudeDeg"), longitude);
    } else if (report == "\"timingPrimary\"" || report == "\"gpsTime\"") {
      EXPECT_EQ(FieldNumber(line, "utcOffsetS"), r.UtcOffset());
      EXPECT_EQ(FieldNumber(line, "week"), std::floor(r.TrueGps() / 604800.0));
    } else if (report == "\"trackingStatus\"") {
      // The channel's satellite as the emulator's sky has it.
      const auto channel = static_cast<size_t>(FieldNumber(line, "channel"));
      ASSERT_LT(channel, r.sky.Channels().size());
      EXPECT_EQ(FieldNumber(line, "prn"), r.sky.Channels()[channel].prn);
    } else if (report == "\"productionParams\"") {
      EXPECT_EQ(FieldNumber(line, "premiumOptions"), r.premiumOptions);
    }
  }
  for (const char* name : {"timingPrimary",      "timingSupplemental",
                           "primaryUtcTime",     "gpsTime",
                           "ecefPositionSingle", "ecefVelocity",
                           "llaPositionSingle",  "referenceAltitude",
                           "timeAccepted",       "enuVelocity",
                           "ecefPositionDouble", "llaPositionDouble",
                           "comprehensiveTime",  "health",
                           "rawMeasurement",     "ephemerisStatus",
                           "trackingStatus",     "satelliteSelection",
                           "softwareVersion",    "manufacturingParams",
                           "productionParams"}) {
    EXPECT_GE(seen[std::string("\"") + name + "\""], 1) << "no " << name;
  }
}

// The emulator's PPS offsets with reports dropped: the gaps are said on standard error and left
// as missing seconds, and the deviations come out as CSV.
TEST_F(DecodeToolTest, StabilityOfTheEmulatorsPpsOffsetsSaysWhereReportsAreMissing) {
  sim::SimOptions options;
  options.seed = 5;
  options.dropFraction = 0.01;
  testing::SimHarness h(options);
  h.Run(400);
  const std::string path = WriteFile("day.rxb", h.engine.TakeOutput());
  const Result run = Decode({"--stability", path});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  std::istringstream lines(run.out);
  std::string line;
  ASSERT_TRUE(std::getline(lines, line));
  EXPECT_EQ(line, "tau_s,n,adev,mdev,tdev");
  std::vector<double> taus;
  int withoutModified = 0;
  while (std::getline(lines, line)) {
    double tau = 0, adev = 0, mdev = 0, tdev = 0;
    long long n = 0;
    const int fields =
        std::sscanf(line.c_str(), "%lf,%lld,%lf,%lf,%lf", &tau, &n, &adev, &mdev, &tdev);
    // Every window of the longest averaging times may meet a dropped report.
    if (fields == 3 && line.ends_with(",")) {
      ++withoutModified;
    } else {
      ASSERT_EQ(fields, 5) << line;
      EXPECT_GT(tdev, 0);
    }
    EXPECT_GT(n, 0);
    EXPECT_GT(adev, 0);
    taus.push_back(tau);
  }
  // Some 390 seconds with the time known: 1, 2, 4, ... 128 s.
  EXPECT_EQ(taus, (std::vector<double>{1, 2, 4, 8, 16, 32, 64, 128})) << run.out;
  EXPECT_LT(withoutModified, 3) << run.out;
  EXPECT_NE(run.err.find("zelkon-decode: gap of "), std::string::npos) << run.err;

  EXPECT_EQ(Decode({"--stability", "--json", path}).exitCode, 2);
}

TEST(SampleStream, RoundsHoldTheReportsWithTheLengthsTheirDecodersAccept) {
  const std::vector<SamplePacket> packets = SampleReportPackets(3);
  // (id, sub-code or -1, payload length) of one round.
  std::vector<std::tuple<int, int, size_t>> round = {{0x8F, 0xAB, 17}, {0x8F, 0xAC, 68}};
  for (int channel = 0; channel < 12; ++channel)
    round.emplace_back(0x5C, -1, 24);
  round.insert(round.end(), {{0x6D, -1, 17 + 12},
                             {0x46, -1, 2},
                             {0x41, -1, 10},
                             {0x8F, 0x0B, 74},
                             {0x5A, -1, 25},
                             {0x5B, -1, 16}});
  ASSERT_EQ(packets.size(), 3 * round.size());
  for (size_t i = 0; i < packets.size(); ++i) {
    const auto& [id, subCode, length] = round[i % round.size()];
    SCOPED_TRACE(i);
    EXPECT_EQ(packets[i].id, id);
    ASSERT_EQ(packets[i].payload.size(), length);
    if (subCode >= 0) {
      EXPECT_EQ(packets[i].payload[0], subCode);
    }
  }
  // Every 0x5C reports a different channel, 0 to 11, in bits 7 to 3 of byte 1.
  for (int channel = 0; channel < 12; ++channel) {
    EXPECT_EQ(packets[2 + channel].payload[1], channel << 3);
  }
}

TEST(SampleStream, IsDeterministicAndTicksOncePerRound) {
  const std::vector<SamplePacket> three = SampleReportPackets(3);
  const std::vector<SamplePacket> five = SampleReportPackets(5);
  ASSERT_EQ(five.size(), three.size() * 5 / 3);
  EXPECT_TRUE(std::equal(three.begin(), three.end(), five.begin()));
  EXPECT_EQ(FramePackets(five), SampleReportStream(5));

  // The time of week of 0x8F-AB (bytes 1 to 4) goes up by one second per round.
  const size_t perRound = three.size() / 3;
  auto tow = [&](size_t round) {
    const Bytes& p = five[round * perRound].payload;
    return (uint32_t{p[1]} << 24) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 8) | p[4];
  };
  for (size_t round = 1; round < 5; ++round)
    EXPECT_EQ(tow(round), tow(round - 1) + 1);
}

TEST(SampleStream, PayloadsNeedPlentyOfStuffing) {
  size_t bytes = 0;
  size_t dles = 0;
  for (const SamplePacket& p : SampleReportPackets(60)) {
    bytes += p.payload.size();
    dles += static_cast<size_t>(std::count(p.payload.begin(), p.payload.end(), kDle));
  }
  // Random bytes would hold about 0.4 % of 0x10; the sample has several times that.
  EXPECT_GT(dles * 100, bytes) << dles << " of " << bytes;
}

}  // namespace
}  // namespace zelkon
