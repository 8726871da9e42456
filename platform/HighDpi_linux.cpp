#include "platform/HighDpi.h"

void prepareHighDpi() {}
