// Helpers shared by the tests live in headers; this file gives the support
// library a translation unit of its own.
#include "RecordingSink.h"
