// What a program prints when asked how to use it or which version it is.
#pragma once

#include <optional>

namespace platform {

// Linux only. A first argument "--help", "-h" or Windows' "/?" prints `usage` on standard output;
// "--version" prints "PROGRAM VERSION" with the project's version. Either returns the exit code:
// 0, or 1 when standard output could not be written. Any other command line prints nothing and
// returns no value: the program goes on as it would have.
std::optional<int> AnswerInformationRequest(int argc, const char* const* argv, const char* program,
                                            const char* usage);

}  // namespace platform
