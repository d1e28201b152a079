#include "imaging/constants.h"

std::atomic<int> g_bStop{0};
