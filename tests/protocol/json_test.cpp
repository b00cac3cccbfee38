#include "text/json.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace zelkon {
namespace {

// Texts are checked eight bytes at a time, short ones in overlapping pieces: one byte that needs
// care at every place of texts of every length up to a few words is found, as key and as value,
// and the plain letters around it pass unchanged.
TEST(Json, AByteThatNeedsCareIsFoundWhereverItStands) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"\"", "\\\""},      {"\\", "\\\\"},           {"\n", "\\n"},           {"\x01", "\\u0001"},
      {"\x1f", "\\u001f"}, {"\xFF", "\xEF\xBF\xBD"}, {"\xC3\xA9", "\xC3\xA9"}};
  int checked = 0;
  for (size_t length = 1; length <= 26; ++length) {
    for (size_t at = 0; at < length; ++at) {
      for (const auto& [bytes, written] : cases) {
        if (at + bytes.size() > length) continue;
        const std::string text =
            std::string(at, 'k') + bytes + std::string(length - at - bytes.size(), 'z');
        const std::string json =
            std::string(at, 'k') + written + std::string(length - at - bytes.size(), 'z');
        EXPECT_EQ(JsonString(text), "\"" + json + "\"") << length << " " << at;
        EXPECT_EQ(JsonObject().Add(text, text).Text(), "{\"" + json + "\":\"" + json + "\"}")
            << length << " " << at;
        ++checked;
      }
    }
    const std::string plain(length, 'p');
    EXPECT_EQ(JsonObject().Add(plain, 1).Add("b", plain).Text(),
              "{\"" + plain + "\":1,\"b\":\"" + plain + "\"}");
  }
  EXPECT_GT(checked, 2000);
  EXPECT_EQ(JsonObject().Add("", "").Text(), "{\"\":\"\"}");
}

}  // namespace
}  // namespace zelkon
