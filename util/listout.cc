#include "util/listout.h"
