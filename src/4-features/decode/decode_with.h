// A decoder is its report's parser followed by its display step: a report of the wrong length (or
// one that does not parse) changes nothing.
#pragma once

#include <cstdint>

namespace zelkon {

class Application;

template <auto Parse, auto Show>
void DecodeWith(Application& app, const uint8_t* payload, int length) {
  if (const auto report = Parse(payload, length)) Show(app, *report);
}

}  // namespace zelkon
