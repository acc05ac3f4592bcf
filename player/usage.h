// How to start tavrinra on Linux, as `tavrinra --help` prints it.
#pragma once

// What the song player does and its options, one line each, ending with a newline.
extern const char* const SongPlayerUsage;
