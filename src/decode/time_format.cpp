#include "decode/time_format.h"
