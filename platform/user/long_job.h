// For long jobs that run on a window's thread and block its message loop meanwhile (the picture
// library decoding a picture for the show): whether to give up now.
#pragma once

namespace platform {

// True when a termination signal has arrived (TavrinPostOnTerminationSignals), or when the
// calling thread shows the full-screen saver window, which input ends, and a key press, button
// press or pointer motion waits for it as the input poll (GetQueueStatus) sees it. Takes nothing
// from the queue, so the show's own message loop still gets that input. Never true for input to
// a dialog or a preview. As cheap as one input poll.
bool LongJobShouldStop();

}  // namespace platform
