// A hook for developer tools that follow a transition step by step.
#pragma once

// Called at the start of every PaceStep, before its first poll; null in the programs. It only
// watches: PaceStep's result still comes from the input queue alone.
extern void (*PaceObserver)();
