// The system's reason for a failed call, in the words the program's messages use.
#pragma once

#include <string>

namespace zelkon {

// "no such file or directory", "permission denied", "in use by another program" (a device held
// exclusively), otherwise the system's own text with its first letter small.
std::string SystemErrorText(int error);

// Such words as a sentence of a message box's detail: "No such file or directory."
std::string AsSentence(std::string words);

}  // namespace zelkon
