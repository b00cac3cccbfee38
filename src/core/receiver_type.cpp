#include "core/receiver_type.h"
