// A song player for tests: tells the test it runs (its process id, in the file named by
// $TAVRIN_TEST_PLAYER_MARKER), then waits to be ended.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

int main() {
  if (const char* marker = std::getenv("TAVRIN_TEST_PLAYER_MARKER"); marker != nullptr) {
    if (FILE* file = std::fopen(marker, "w"); file != nullptr) {
      std::fprintf(file, "%d\n", static_cast<int>(getpid()));
      std::fclose(file);
    }
  }
  for (;;) pause();
}
