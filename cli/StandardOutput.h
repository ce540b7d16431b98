// Standard output as the destination of a script or a listing.
#pragma once

#include <QByteArray>

namespace StandardOutput {

// Call first in main: a descriptor 1 that is closed is taken at once by /dev/null, so that
// no file or connection opened later lands on it and receives the script, and writes to
// standard output are refused from then on.
void guardClosedDescriptor();

// Writes `bytes` to standard output and flushes it; throws EFileError when it is closed or
// a write fails (a full disk, a closed pipe).
void write(const QByteArray& bytes);

}  // namespace StandardOutput
