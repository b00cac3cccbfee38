// The almanac data file and the 0x58 answer read on their own: the block layout with and without
// an SV byte, the 95-byte limit of a load, and the answers whose length byte disagrees.
#include "transfer/almanac_file.h"

#include <gtest/gtest.h>

#include <vector>

namespace zelkon {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(AlmanacFile, OnlyTypesOneAndTwoCarryAnSvByte) {
  EXPECT_EQ(AlmanacBlockBytes({1, 32, {0xAA}}), (Bytes{0x82, 0x01, 0x20, 0x01, 0xAA, 0x83}));
  EXPECT_EQ(AlmanacBlockBytes({2, 1, {}}), (Bytes{0x82, 0x02, 0x01, 0x00, 0x83}));
  for (int type : {3, 4, 5}) {
    // The SV a report carries for these types is not written.
    EXPECT_EQ(AlmanacBlockBytes({type, 0, {0x82, 0x83}}),
              (Bytes{0x82, static_cast<uint8_t>(type), 0x02, 0x82, 0x83, 0x83}))
        << type;
  }
  EXPECT_FALSE(AlmanacBlockBytes({2, 1, Bytes(256, 0)}));
}

TEST(AlmanacFile, WrittenBlocksReadBackWithEveryTypeAndTheLargestLoad) {
  const std::vector<AlmanacBlock> blocks = {
      {3, 0, Bytes(34, 0x83)},
      {1, 9, Bytes(95, 0x82)},
      {2, 32, Bytes(39, 0x10)},
      {4, 0, Bytes(32, 0x01)},
      {5, 0, {}},
  };
  Bytes file(std::begin(kAlmanacFileLead), std::end(kAlmanacFileLead));
  for (const AlmanacBlock& block : blocks) {
    const auto bytes = AlmanacBlockBytes(block);
    file.insert(file.end(), bytes->begin(), bytes->end());
    file.push_back(0x7F);  // anything between blocks is skipped
  }
  const AlmanacFileContents contents = ReadAlmanacFile(file);
  EXPECT_EQ(contents.fault, "");
  EXPECT_EQ(contents.faultKind, AlmanacFileFault::None);
  EXPECT_EQ(contents.blocks, blocks);
}

TEST(AlmanacFile, AFileWithoutBlocksIsEmptyNotDamaged) {
  for (const Bytes& file : {Bytes{}, Bytes{0x00, 0x00}, Bytes{0x83, 0x01}}) {
    const AlmanacFileContents contents = ReadAlmanacFile(file);
    EXPECT_TRUE(contents.blocks.empty());
    EXPECT_EQ(contents.faultKind, AlmanacFileFault::None);
  }
}

TEST(AlmanacFile, TheFaultNamesTheBlockAndKeepsTheBlocksBefore) {
  const struct {
    Bytes file;
    AlmanacFileFault kind;
    const char* fault;
  } cases[] = {
      {{0x82}, AlmanacFileFault::Truncated, "block 2 at byte 5: the file ends inside the block"},
      {{0x82, 0x02},
       AlmanacFileFault::Truncated,
       "block 2 (SV 00 almanac) at byte 5: the file ends inside the block"},
      {{0x82, 0x04, 0x02, 0x01},
       AlmanacFileFault::Truncated,
       "block 2 (ionosphere data) at byte 5: the file ends inside the block"},
      {{0x82, 0x04, 0x01, 0x01},
       AlmanacFileFault::Truncated,
       "block 2 (ionosphere data) at byte 5: the file ends inside the block"},
      {{0x82, 0x00}, AlmanacFileFault::UnknownType, "block 2 at byte 5: unknown data block type 0"},
      {{0x82, 0x01, 0x00},
       AlmanacFileFault::BadSv,
       "block 2 (SV 00 raw almanac) at byte 5: SV number 0 outside 1..32"},
      {{0x82, 0x05, 0x00, 0x84},
       AlmanacFileFault::NoEndMarker,
       "block 2 (UTC time correction data) at byte 5: no end of block marker"},
      {{0x82, 0x03, 0xFF},
       AlmanacFileFault::TooLong,
       "block 2 (almanac health page) at byte 5: 255 data bytes, more than the 95 a load "
       "command holds"},
  };
  for (const auto& c : cases) {
    Bytes file = {0x00, 0x82, 0x05, 0x00, 0x83};  // a whole block first
    file.insert(file.end(), c.file.begin(), c.file.end());
    const AlmanacFileContents contents = ReadAlmanacFile(file);
    EXPECT_EQ(contents.faultKind, c.kind) << c.fault;
    // Numbered after the whole block, at its offset in the file.
    EXPECT_EQ(contents.fault, c.fault);
    EXPECT_EQ(contents.blocks, (std::vector<AlmanacBlock>{{5, 0, {}}}));
  }
}

TEST(AlmanacFile, AnAnswerIsTakenOnlyWhenItsLengthByteAgrees) {
  const Bytes answer = {0x02, 0x02, 0x11, 0x03, 0xA, 0xB, 0xC};
  const auto parsed = ParseSystemDataAnswer(answer);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->operation, 2);
  EXPECT_EQ(parsed->type, 2);
  EXPECT_EQ(parsed->sv, 0x11);
  EXPECT_EQ(parsed->data, (Bytes{0xA, 0xB, 0xC}));
  EXPECT_FALSE(ParseSystemDataAnswer(std::span(answer).first(6)));
  EXPECT_FALSE(ParseSystemDataAnswer(std::span(answer).first(3)));
  const Bytes refused = {0x00, 0x05, 0x00, 0x00};
  EXPECT_EQ(ParseSystemDataAnswer(std::span(refused).first(4))->operation, 0);
}

}  // namespace
}  // namespace zelkon
