#include "link/system_error.h"

#include <cctype>
#include <cerrno>
#include <cstring>

namespace zelkon {

std::string SystemErrorText(int error) {
  switch (error) {
    case EBUSY:
    case EWOULDBLOCK:
      return "in use by another program";
    case ENOTTY:
      return "not a terminal";
    default:
      break;
  }
  std::string text = std::strerror(error);
  if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  return text;
}

std::string AsSentence(std::string words) {
  if (words.empty()) return words;
  words[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(words[0])));
  return words + ".";
}

}  // namespace zelkon
