// Files at the picture library's limits that are cheap to make: for the tests and benchmarks of
// what a huge picture or a huge non-picture costs the show.
#pragma once

#include <cstdint>
#include <string>

namespace test_support {

// A PNG of one colour (0xRRGGBB), 8-bit RGB, made in milliseconds: a 16384 x 16384 one
// (256 megapixels) is under 1 MB. False when it could not be written.
bool WriteFlatPng(const std::string& path, int width, int height, std::uint32_t colour);

// A file of `bytes` zero bytes that takes no room on disk (a sparse file). False on failure.
bool WriteSparseFile(const std::string& path, std::int64_t bytes);

}  // namespace test_support
