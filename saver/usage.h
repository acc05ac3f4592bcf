// How to start tavrin on Linux, as `tavrin --help` prints it.
#pragma once

// The ways to start the saver, one line each, ending with a newline.
extern const char* const TavrinUsage;
