#include "run_options.h"

RunOptions runOptions;
