// The engine's test bench: a headless full-screen window, every copy recorded, and a picture
// prepared the way the slide show prepares it.
#pragma once

#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "effects/engine.h"
#include "platform/gdi/gdi_probe.h"
#include "platform/headless/headless.h"
#include "tests/effects/recording_routines.h"
#include "tests/platform/gdi/gdi_test_support.h"

class EngineTest : public testing::Test {
 protected:
  static constexpr int ScreenWidth = 64;
  static constexpr int ScreenHeight = 48;

  void SetUp() override {
    headless::Install(ScreenWidth, ScreenHeight);
    recording::Reset();
    TransitionContext = {};
    TransitionContext.GrainSize = 4;
    TransitionContext.DelayFactor = 5;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "EngineTestWindow";
    RegisterClassA(&windowClass);
    window_ = CreateWindowExA(WS_EX_TOPMOST, "EngineTestWindow", "engine", WS_POPUP | WS_VISIBLE, 0,
                              0, ScreenWidth, ScreenHeight, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    platform::gdi::SetCopyObserver(
        [this](const platform::gdi::CopyCall& copy) { copies_.push_back(copy); });
  }

  void TearDown() override {
    platform::gdi::SetCopyObserver({});
    recording::Reset();
    picture_.reset();
    if (TransitionContext.DestDC != nullptr) ReleaseDC(window_, TransitionContext.DestDC);
    TransitionContext = {};
    DestroyWindow(window_);
    EXPECT_EQ(platform::gdi::CountLiveObjects(), platform::gdi::LiveObjects{});
  }

  // DestDC on the window, SourceDC holding a width x height picture whose pixel (x, y) is
  // y * width + x + 1, to be drawn at (x, y).
  void PreparePicture(int x, int y, int width, int height) {
    TransitionContext.DestDC = GetDC(window_);
    picture_ = std::make_unique<gdi_test::BitmapDc>(gdi_test::MakePatternBitmap(width, height, 0));
    TransitionContext.SourceDC = picture_->dc();
    TransitionContext.TargetX = x;
    TransitionContext.TargetY = y;
    TransitionContext.TargetWidth = width;
    TransitionContext.TargetHeight = height;
  }

  HWND window_ = nullptr;
  std::unique_ptr<gdi_test::BitmapDc> picture_;
  std::vector<platform::gdi::CopyCall> copies_;
};
