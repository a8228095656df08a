#include "worker/run_options.h"

RunOptions runOptions;
