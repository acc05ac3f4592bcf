// A program the process tests start. CreateProcess passes no arguments, so the test chooses
// what it does through the environment (TAVRIN_CHILD_MODE):
//   exit3   exit with code 3
//   sleep   wait until killed
//   env     exit 0 when TAVRIN_CHILD_CHECK is "yes", else 1
//   nofd    exit 0 when descriptor TAVRIN_CHILD_FD is not open, else 1
//   argv    exit 0 when argc is 1 and argv[0] is TAVRIN_CHILD_EXPECT, else 1
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  const char* mode = std::getenv("TAVRIN_CHILD_MODE");
  if (mode == nullptr) return 0;
  if (std::strcmp(mode, "exit3") == 0) return 3;
  if (std::strcmp(mode, "sleep") == 0) {
    for (;;) pause();
  }
  if (std::strcmp(mode, "env") == 0) {
    const char* check = std::getenv("TAVRIN_CHILD_CHECK");
    return check != nullptr && std::strcmp(check, "yes") == 0 ? 0 : 1;
  }
  if (std::strcmp(mode, "nofd") == 0) {
    const char* fd = std::getenv("TAVRIN_CHILD_FD");
    return fd != nullptr && fcntl(std::atoi(fd), F_GETFD) < 0 ? 0 : 1;
  }
  if (std::strcmp(mode, "argv") == 0) {
    const char* expected = std::getenv("TAVRIN_CHILD_EXPECT");
    return argc == 1 && expected != nullptr && std::strcmp(argv[0], expected) == 0 ? 0 : 1;
  }
  return 2;
}
