#include "settings/random.h"

#include <cstdint>

namespace {
std::uint32_t RandomState = 1;
}  // namespace

void SeedRandom(unsigned int seed) {
  RandomState = seed;
}

int NextRandom() {
  RandomState = RandomState * 214013U + 2531011U;  // wraps modulo 2^32
  return static_cast<int>((RandomState >> 16) & 0x7FFF);
}
