// Standard output is where scripts take our results from: a write that failed (a full disk,
// /dev/full, a closed descriptor) must not pass as success. Checked once, when the program ends,
// as coreutils' close_stdout does.
#pragma once

#include <string_view>

namespace qor::cli {

// Registers the check to run at exit: if any write to standard output failed or its final flush
// does, "qortolvane-cli: write error: REASON" goes to standard error and the status becomes 2. A
// reader that went away (EPIPE) ends the program quietly.
void CheckStandardOutputAtExit();

// Writes to standard output, keeping the reason of the first write that failed for that message
// (the final check alone would no longer know why an early write failed).
void WriteStandardOutput(std::string_view text);

} // namespace qor::cli
