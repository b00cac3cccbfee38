#include "link/codec.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

namespace zelkon {
namespace {

TEST(Codec, IntegersAreBigEndianAndSignedByTwosComplement) {
  const uint8_t fffe[] = {0xFF, 0xFE};
  EXPECT_EQ(ReadU16(fffe), 65534);
  EXPECT_EQ(ReadI16(fffe), -2);

  const uint8_t word[] = {0x12, 0x34, 0x56, 0x78};
  EXPECT_EQ(ReadU16(word), 0x1234);
  EXPECT_EQ(ReadU32(word), 0x12345678u);
  const uint8_t minusOne[] = {0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(ReadU32(minusOne), 0xFFFFFFFFu);
  EXPECT_EQ(ReadI32(minusOne), -1);
  const uint8_t int32Min[] = {0x80, 0x00, 0x00, 0x00};
  EXPECT_EQ(ReadI32(int32Min), std::numeric_limits<int32_t>::min());
}

TEST(Codec, FloatsAreIeeeMostSignificantByteFirst) {
  const uint8_t one[] = {0x3F, 0x80, 0x00, 0x00};
  EXPECT_EQ(ReadSingle(one), 1.0f);
  const uint8_t two[] = {0x40, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
  EXPECT_EQ(ReadDouble(two), 2.0);
  const uint8_t minusOneAndHalf[] = {0xBF, 0xC0, 0x00, 0x00};
  EXPECT_EQ(ReadSingle(minusOneAndHalf), -1.5f);

  std::array<uint8_t, 8> out{};
  WriteDouble(2.0, out.data());
  EXPECT_EQ(out, (std::array<uint8_t, 8>{0x40, 0, 0, 0, 0, 0, 0, 0}));
  WriteDouble(1.0, out.data());
  EXPECT_EQ(out, (std::array<uint8_t, 8>{0x3F, 0xF0, 0, 0, 0, 0, 0, 0}));
}

TEST(Codec, WritersAndReadersRoundTripAtAnyOffset) {
  // Fields sit at odd payload offsets; nothing may assume alignment.
  uint8_t buffer[32] = {};
  WriteU16(0xBEEF, buffer + 1);
  WriteU32(0xDEADBEEF, buffer + 3);
  WriteSingle(-123.25f, buffer + 7);
  WriteDouble(6378137.125, buffer + 11);
  EXPECT_EQ(buffer[1], 0xBE);
  EXPECT_EQ(buffer[2], 0xEF);
  EXPECT_EQ(buffer[3], 0xDE);
  EXPECT_EQ(buffer[6], 0xEF);
  EXPECT_EQ(ReadU16(buffer + 1), 0xBEEF);
  EXPECT_EQ(ReadU32(buffer + 3), 0xDEADBEEFu);
  EXPECT_EQ(ReadSingle(buffer + 7), -123.25f);
  EXPECT_EQ(ReadDouble(buffer + 11), 6378137.125);

  WriteDouble(std::numeric_limits<double>::quiet_NaN(), buffer);
  EXPECT_TRUE(std::isnan(ReadDouble(buffer)));
}

}  // namespace
}  // namespace zelkon
