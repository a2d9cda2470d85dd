#include "util/format.h"
