// Runs one of our programs as a user would: no shell, standard output captured, standard
// error dropped.
#pragma once

#include <string>
#include <vector>

namespace test_support {

struct ProgramResult {
  int exitCode = -1;  // -1 when the program could not start or did not exit normally
  std::string output;
};

// argv[0] is the program's path. `input` becomes the program's standard input (which is
// otherwise the caller's); keep it under a pipe's 64 KiB, as it is written before the output is
// read.
ProgramResult RunProgram(std::vector<std::string> argv, const std::string* input = nullptr);

}  // namespace test_support
