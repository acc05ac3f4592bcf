// write-picture-digests FOLDER: the digest line of every file in FOLDER, sorted by name, for
// another build to compare its decoding with.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "tests/support/picture_digest.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: write-picture-digests FOLDER\n");
    return 2;
  }
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(argv[1])) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  for (const auto& file : files) std::printf("%s\n", tavrin_test::DecodedDigestLine(file).c_str());
  return files.empty() ? 1 : 0;
}
