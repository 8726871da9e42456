#pragma once

// The number of files a process may have open. A desktop session starts programs
// with a soft limit of 1,024 and a much higher hard one; the instance socket must
// not run out of descriptors under a flood of connections.
namespace OpenFileLimit {

// Raises the soft limit to the hard one. False when it could not be raised.
bool raiseToHardLimit();

} // namespace OpenFileLimit
