#include "platform/StandardStreams.h"

namespace StandardStreams {

// A Windows console program without a console gets invalid handles, which fail
// every write: the checks of each write report them.
Closed guard()
{
    return {};
}

} // namespace StandardStreams
