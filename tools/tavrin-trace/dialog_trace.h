// Runs the configuration dialog on the headless backend, driven by a script of a user's
// actions, and prints what the dialog does.
#pragma once

#include <cstdio>

namespace trace {

// Reads one action a line from `in` and applies each to the topmost open dialog once the
// dialog has nothing else to do; prints every event to `out` as it happens (see tavrin_trace.cpp
// for both lists). After the last action prints "open" when a dialog is still open.
void TraceDialog(std::FILE* in, std::FILE* out);

}  // namespace trace
