#include "model/colour.h"

#include <cstdio>

namespace zelkon {

std::string Colour::ToString() const {
  switch (system_) {
    case System::Window:
      return "window";
    case System::ButtonFace:
      return "button-face";
    case System::WindowText:
      return "window-text";
    case System::InactiveCaption:
      return "inactive-caption";
    case System::None:
      break;
  }
  char text[8];
  std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(rgb_));
  return text;
}

}  // namespace zelkon
