// Pixel memory: zeroed means zero, the one spare is reused for a similar size and released before
// anything new is mapped, never kept above its cap, and it is shared safely between threads.
#include "platform/gdi/pixel_memory.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <thread>
#include <vector>

#include "platform/gdi/gdi_probe.h"
#include "platform/gdi/pixel_bitmap.h"
#include "tests/platform/gdi/gdi_test_support.h"

namespace {

using platform::gdi::PixelMemory;
using platform::gdi::PixelMemoryNow;

constexpr std::size_t kMiB = std::size_t{1} << 20;
constexpr std::size_t kHugePage = 2 * kMiB;

std::size_t PixelsIn(std::size_t bytes) {
  return bytes / sizeof(std::uint32_t);
}

// The mapping a large buffer of `bytes` gets: whole pages.
std::size_t MappingOf(std::size_t bytes) {
  const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  return (bytes + page - 1) / page * page;
}

bool AllZero(const PixelMemory& pixels) {
  return std::all_of(pixels.begin(), pixels.end(), [](std::uint32_t pixel) { return pixel == 0; });
}

class PixelMemoryTest : public testing::Test {
 protected:
  void SetUp() override {
    platform::gdi::ResetGdi();
    platform::gdi::ReleaseSparePixels();
    platform::gdi::ResetPixelMemoryPeak();
    ASSERT_EQ(PixelMemoryNow().mappedBytes, 0u);
  }
  void TearDown() override { platform::gdi::ReleaseSparePixels(); }
};

// A buffer used and freed, then asked for again zeroed: small ones come from the heap, large ones
// from the spare, and either way every pixel reads zero.
TEST_F(PixelMemoryTest, ZeroedIsZeroEvenWhenItReusesMemory) {
  for (const std::size_t bytes : {std::size_t{400}, kMiB - 4, kMiB, 3 * kMiB + 4}) {
    SCOPED_TRACE(bytes);
    const std::uint32_t* used = nullptr;
    {
      PixelMemory dirty = PixelMemory::Unfilled(PixelsIn(bytes));
      ASSERT_EQ(dirty.size(), PixelsIn(bytes));
      std::fill(dirty.begin(), dirty.end(), 0xFFFFFFFFu);
      used = dirty.data();
    }
    const PixelMemory clean = PixelMemory::Zeroed(PixelsIn(bytes));
    EXPECT_TRUE(AllZero(clean));
    if (bytes >= platform::gdi::kLargePixelBytes) {
      EXPECT_EQ(clean.data(), used);
    }
  }
}

// The spare serves a request it covers without holding twice what is needed; any other request
// releases it first, so the most mapped at once is the larger of the two buffers, never both.
TEST_F(PixelMemoryTest, TheSpareServesASimilarSizeAndIsReleasedBeforeAnyOtherMapping) {
  const struct {
    std::size_t first;
    std::size_t second;
    bool reused;
  } cases[] = {
      {6000 * 4000 * 4, 6000 * 4000 * 4, true},  // the next photo of the same camera
      {6000 * 4000 * 4, 4000 * 3000 * 4, true},  // a smaller one: the spare wastes under half
      {10 * kMiB, 3 * kMiB, false},              // too much larger than needed
      {4 * kMiB, 16 * kMiB, false},              // too small
      {2 * kMiB, 2 * kMiB + 4, false},           // one pixel too many for the spare
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(testing::Message() << test.first << " then " << test.second);
    platform::gdi::ReleaseSparePixels();
    platform::gdi::ResetPixelMemoryPeak();
    const std::uint32_t* first = nullptr;
    {
      const PixelMemory buffer = PixelMemory::Unfilled(PixelsIn(test.first));
      first = buffer.data();
    }
    EXPECT_EQ(PixelMemoryNow().spareBytes, MappingOf(test.first));
    const std::size_t mappingsBefore = PixelMemoryNow().mappingsMade;
    const PixelMemory second = PixelMemory::Unfilled(PixelsIn(test.second));
    EXPECT_EQ(PixelMemoryNow().mappingsMade == mappingsBefore, test.reused);
    if (test.reused) {
      EXPECT_EQ(second.data(), first);
    }
    const std::size_t held = test.reused ? MappingOf(test.first) : MappingOf(test.second);
    EXPECT_EQ(PixelMemoryNow().mappedBytes, held);
    EXPECT_EQ(PixelMemoryNow().spareBytes, 0u);
    EXPECT_EQ(PixelMemoryNow().peakMappedBytes,
              std::max(MappingOf(test.first), MappingOf(test.second)));
  }
}

TEST_F(PixelMemoryTest, LargeBuffersStartOnAHugePageAndOneSpareIsKeptWithinItsCap) {
  {
    const PixelMemory smallest = PixelMemory::Unfilled(PixelsIn(platform::gdi::kLargePixelBytes));
    const PixelMemory large = PixelMemory::Unfilled(PixelsIn(5 * kMiB));
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(smallest.data()) % kHugePage, 0u);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(large.data()) % kHugePage, 0u);
  }
  // Both freed: the larger stays, the other is unmapped.
  EXPECT_EQ(PixelMemoryNow().spareBytes, 5 * kMiB);
  EXPECT_EQ(PixelMemoryNow().mappedBytes, 5 * kMiB);

  // A picture beyond the cap does not linger once freed (its pages are never touched here).
  { const PixelMemory huge = PixelMemory::Unfilled(PixelsIn(platform::gdi::kMaxSpareBytes + 4)); }
  EXPECT_EQ(PixelMemoryNow().spareBytes, 0u);
  EXPECT_EQ(PixelMemoryNow().mappedBytes, 0u);
}

// Decodes run on the dialog's thread and the show's at once.
TEST_F(PixelMemoryTest, ThreadsShareTheSpareSafely) {
  const auto work = [](std::uint32_t mark) {
    for (std::size_t round = 0; round < 40; ++round) {
      PixelMemory pixels = PixelMemory::Zeroed(PixelsIn((1 + round % 3) * kMiB));
      if (!AllZero(pixels)) return false;
      std::fill(pixels.begin(), pixels.end(), mark);
      std::this_thread::yield();
      if (std::any_of(pixels.begin(), pixels.end(), [&](std::uint32_t p) { return p != mark; })) {
        return false;
      }
    }
    return true;
  };
  bool otherFine = false;
  std::thread other([&] { otherFine = work(0xAAAAAAu); });
  const bool fine = work(0x555555u);
  other.join();
  EXPECT_TRUE(fine);
  EXPECT_TRUE(otherFine);
  EXPECT_EQ(PixelMemoryNow().mappedBytes, PixelMemoryNow().spareBytes);
}

// A deleted picture bitmap leaves its memory as the spare; the next bitmap of its size takes it
// and is still black. Nothing of GDI's counts changes.
TEST_F(PixelMemoryTest, DeletedBitmapsHandTheirMemoryOn) {
  constexpr int kWidth = 1024;
  constexpr int kHeight = 768;
  PixelMemory picture = PixelMemory::Unfilled(std::size_t{kWidth} * kHeight);
  std::fill(picture.begin(), picture.end(), 0x123456u);
  HBITMAP adopted = platform::gdi::AdoptPixels(kWidth, kHeight, std::move(picture));
  ASSERT_NE(adopted, nullptr);
  EXPECT_EQ(platform::gdi::CountLiveObjects(), (platform::gdi::LiveObjects{0, 1, 0}));
  EXPECT_TRUE(DeleteObject(adopted));
  EXPECT_EQ(PixelMemoryNow().spareBytes, MappingOf(std::size_t{kWidth} * kHeight * 4));

  HDC screen = CreateCompatibleDC(nullptr);
  HBITMAP blank = CreateCompatibleBitmap(screen, kWidth, kHeight);
  ASSERT_NE(blank, nullptr);
  EXPECT_EQ(PixelMemoryNow().spareBytes, 0u);
  const std::vector<std::uint32_t> pixels = gdi_test::Pixels(blank);
  EXPECT_TRUE(std::all_of(pixels.begin(), pixels.end(), [](std::uint32_t p) { return p == 0; }));
  DeleteObject(blank);
  DeleteDC(screen);
  EXPECT_EQ(platform::gdi::CountLiveObjects(), platform::gdi::LiveObjects{});
}

}  // namespace
