// How a program ends after a termination signal it turned into a close.
#pragma once

#include "platform/win32.h"

// Linux only: when a termination signal has been turned into the close message of
// TavrinPostOnTerminationSignals, flushes stdio and ends the process by that signal (its
// default action restored), as Unix programs that clean up on a signal do, so that the sender
// sees how it ended. Else returns.
void WINAPI TavrinEndByTerminationSignal();
