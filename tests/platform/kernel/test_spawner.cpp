// Starts the program named by argv[1] with CreateProcess, prints the child's pid and waits to be
// killed: the test kills this process and checks that the child dies with it.
#include <unistd.h>

#include <cstdio>

#include "platform/win32.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(argv[1], nullptr, nullptr, nullptr, FALSE,
                      DETACHED_PROCESS | NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                      &process)) {
    return 1;
  }
  std::printf("%lu\n", static_cast<unsigned long>(process.dwProcessId));
  std::fflush(stdout);
  for (;;) pause();
}
