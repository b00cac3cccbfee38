// Numbers typed by the operator or read from a file, taken only when the whole text is one.
//
// The scan formats ("%f", "%d") stop at the first character that is not part of a number, so "95x"
// reads as 95 and "1e39" as infinity. A value that goes to the receiver must be exactly what the
// operator sees, so these readers take a text only when it is one number and nothing else.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelkon {

// A finite number in decimal or exponent form ("12", "-0.5", "1e-6", "+3."), with blanks or tabs
// around it; nothing for anything else (an empty text, "95x", "inf", "nan", hexadecimal).
std::optional<double> ParseDecimal(std::string_view text);

// A whole number ("44", "-3", "+7") with blanks or tabs around it; nothing for a fraction, an
// exponent or a number beyond 64 bits.
std::optional<int64_t> ParseWhole(std::string_view text);

// The shortest text without an exponent that ParseDecimal reads back as exactly `value`, a finite
// number ("48.1372", "-2700000.126", "0.00001"): a number shown this way and read again is the
// same number.
std::string DecimalText(double value);

}  // namespace zelkon
