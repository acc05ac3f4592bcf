// One line per decoded picture, the same on every platform for the same pixels: the Linux build
// writes the lines of the sample pictures, and the Windows build's tests compare theirs with
// them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace tavrin_test {

// "NAME WIDTH HEIGHT DIGEST": the file's name, the picture's size, and a 64-bit FNV-1a of its
// 0x00RRGGBB pixels (top row first) in hexadecimal; "NAME refused" when nothing decoded.
std::string DigestLine(const std::string& name, int width, int height,
                       std::span<const std::uint32_t> pixels);
std::string RefusedLine(const std::string& name);

// The line of `file` as the picture library's decoders see its bytes.
std::string DecodedDigestLine(const std::filesystem::path& file);

}  // namespace tavrin_test
