#include "diagnostics/Logger.h"

IntrusivePointer<Logger> g_logger;
