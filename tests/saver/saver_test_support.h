// A headless saver for tests: a fresh store and screen, a stand-in logo, pictures the fake
// picture library decodes, and every copy the saver makes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi/gdi_probe.h"
#include "platform/win32.h"
#include "tests/platform/kernel/temp_config_home.h"

namespace saver_test {

inline constexpr int LogoWidth = 548;
inline constexpr int LogoHeight = 139;

// A 24-bit BMP file whose every pixel is PicturePixel(seed, x, y).
std::vector<std::uint8_t> MakeBmp(int width, int height, int seed);
// Never black, and different for neighbouring pixels and pictures.
std::uint32_t PicturePixel(int seed, int x, int y);
inline constexpr int LogoSeed = 99;
// Every path the fake picture library was asked to decode since the test began.
std::vector<std::string>& DecodedPaths();
// Every long decode (AddLongPicture) the fake library gave up since the test began.
std::vector<std::string>& AbandonedPaths();

class SaverTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  void Set(const char* subKey, const char* name, const std::string& value);
  // Writes a file for playlist entry P<index> that the fake library decodes to a picture of
  // this size; `decodable` false makes the library return no bitmap for it. The file goes into
  // `folder` (made if need be), or the test's folder.
  std::string AddPicture(int index, int width, int height, bool decodable = true,
                         const std::string& folder = "");
  // As AddPicture, for a picture whose decode is long: the library asks whether to stop
  // (platform::LongJobShouldStop) `asks` times, as a real decode does between rows, and gives up
  // with no bitmap when told to.
  std::string AddLongPicture(int index, int width, int height, int asks);
  void SetPictureCount(int count) { Set("The Gig", "Images", std::to_string(count)); }

  // Dispatches every message that is due now, without waiting.
  void DispatchPending();
  // Moves the virtual clock on and dispatches what became due, a millisecond at a time so
  // that timers fire when they are due.
  void Run(DWORD milliseconds);

  // Wipe right one column a step at delay factor 1, paced 50 x 101 polls a step: a transition
  // long enough to be stopped at a chosen step.
  void ChooseOneColumnWipe();
  // Opens the saver window (a preview when `parent` is set), lets the logo show and forgets its
  // copies, so that what follows is the first picture's.
  HWND OpenPastTheLogo(HWND parent);

  const std::vector<platform::gdi::CopyCall>& Copies() const { return copies_; }
  void ForgetCopies() { copies_.clear(); }

  TempConfigHome config_;
  std::vector<platform::gdi::CopyCall> copies_;
};

// A window of a test class whose timer runs `action` once, at a virtual time, from inside
// whatever message loop is running.
void RunAt(DWORD milliseconds, void (*action)());

}  // namespace saver_test
