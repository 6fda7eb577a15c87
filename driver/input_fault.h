#pragma once

namespace zeb {

// A source file is mapped, not copied. When another program truncates it
// while the run still reads it, the next read of a lost page raises SIGBUS.
// For the command-line tool that is a failure to read its input: this makes
// the process end with the scanner's read-failure message and status 1
// instead of a crash. Output already written stays written. A bus error
// anywhere else is left to the default action, core dump included.
void reportLostInputPagesAsReadFailure();

}  // namespace zeb
