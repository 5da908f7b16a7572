// SIGINT and SIGTERM end the program within a second, whatever it is doing.
// A watcher thread takes the signals: it raises the flag that the render
// checks between frames, so the program normally unwinds by itself and
// removes its temporary output; if it has not ended shortly after, the
// watcher runs the clean-up itself, says so in one line and ends the process.
#pragma once

#include <functional>

namespace mv {

// Call before any other thread starts, so that every thread leaves the
// signals to the watcher. `cleanUp` must be safe to run from another thread.
void installInterruptHandler(std::function<void()> cleanUp);
bool interrupted();
// The exit status of a program ended by the signal: 128 + its number.
int interruptStatus();
// Claims the program's one closing line on standard error; false when the
// watcher has already claimed it (and is ending the process).
bool claimClosingLine();

}  // namespace mv
