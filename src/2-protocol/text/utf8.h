// Bytes of unknown encoding made valid UTF-8, for every JSON string and every metrics label value.
//
// The receiver's own texts (the fatal reports) and the paths of devices and files are bytes, not
// text. A well-formed UTF-8 character passes unchanged; each byte that is not part of one becomes
// U+FFFD, the replacement character, so a text keeps one character for every byte that could not
// be read. Well formed is what Unicode defines: the shortest form, no surrogates (U+D800 to
// U+DFFF), nothing beyond U+10FFFF. "rx" 0xFF 0xFE becomes "rx\uFFFD\uFFFD", a character cut short
// (0xE2 0x82 then a blank) two replacement characters and the blank.
#pragma once

#include <string>
#include <string_view>

namespace zelkon {

// U+FFFD in UTF-8.
inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// The length in bytes (1 to 4) of the well-formed UTF-8 character `text` begins with; 0 when it
// begins with none (an empty text included).
int Utf8CharacterLength(std::string_view text);

// Appends `text` to `out` as valid UTF-8: each ASCII character through `ascii(c, out)` (which
// escapes what its format needs), each other well-formed character as it is, and U+FFFD for each
// byte that is not part of a well-formed character.
template <class AsciiWriter>
void AppendValidUtf8(std::string& out, std::string_view text, AsciiWriter ascii) {
  size_t at = 0;
  while (at < text.size()) {
    const char c = text[at];
    if (static_cast<unsigned char>(c) < 0x80) {
      ascii(c, out);
      ++at;
      continue;
    }
    const int length = Utf8CharacterLength(text.substr(at));
    if (length == 0) {
      out += kReplacementCharacter;
      ++at;
    } else {
      out += text.substr(at, static_cast<size_t>(length));
      at += static_cast<size_t>(length);
    }
  }
}

}  // namespace zelkon
