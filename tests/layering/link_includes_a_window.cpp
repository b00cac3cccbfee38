// Compiled only by the layering tests: a file of the link layer that includes a window header. It
// must not compile against the link library, and compiles against the features library.
#include "main/main_form.h"

int LayeringProbe() { return zelkon::kPollIntervalMs; }
