#include "resample/metrics/metrics.h"
