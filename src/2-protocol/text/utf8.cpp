#include "text/utf8.h"

namespace zelkon {

int Utf8CharacterLength(std::string_view text) {
  if (text.empty()) return 0;
  const auto byte = [text](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  // The second byte's range is narrower after E0 (no overlong forms), ED (no surrogates), F0 (no
  // overlong forms) and F4 (nothing beyond U+10FFFF); every other following byte is 80 to BF.
  size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;  // a continuation byte, C0 and C1 (only overlong forms), F5 to FF (never used)
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return static_cast<int>(length);
}

}  // namespace zelkon
