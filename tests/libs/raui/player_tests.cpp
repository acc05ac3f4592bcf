// The player in a real dialog: its widgets clicked as a user clicks them, the sound read back
// from SDL's disk driver.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QFrame>
#include <QLabel>
#include <QSlider>
#include <QToolButton>
#include <QWidget>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "libs/raengine/clip_decoder.h"
#include "libs/raengine/engine_probe.h"
#include "libs/raengine/raengine.h"
#include "libs/raui/player_probe.h"
#include "platform/gdi/gdi_probe.h"
#include "platform/qt/qt_dialog_backend.h"
#include "tests/libs/raui/player_test_support.h"
#include "tests/support/sound_output.h"

namespace {

using raui::PlayState;
using raui_test::ClipPath;
using raui_test::kPlayerArea;
using raui_test::RunPlayerDialog;

QWidget* Host(HWND dialog) {
  return platform::qt::WidgetOf(GetDlgItem(dialog, kPlayerArea));
}

template <typename Part>
Part* Find(HWND dialog, const char* name) {
  QWidget* host = Host(dialog);
  Part* part = host != nullptr ? host->findChild<Part*>(name) : nullptr;
  EXPECT_NE(part, nullptr) << name;
  return part;
}

std::string Text(HWND dialog, const char* name) {
  const auto* label = Find<QLabel>(dialog, name);
  return label != nullptr ? label->text().toStdString() : "";
}

// A label's text before it was cut to the label's width.
std::string FullText(HWND dialog, const char* name) {
  const auto* label = Find<QLabel>(dialog, name);
  return label != nullptr ? label->toolTip().toStdString() : "";
}

void Click(HWND dialog, const char* name) {
  if (auto* button = Find<QAbstractButton>(dialog, name)) button->click();
}

raui::PlayerProbe Probe(DWORD ui) {
  return raui::ProbePlayer(ui).value_or(raui::PlayerProbe{});
}

LONG LengthMs(const raengine::DecodedClip& clip) {
  return static_cast<LONG>(clip.samples.size() / static_cast<std::size_t>(clip.channels) * 1000 /
                           static_cast<std::size_t>(clip.rate));
}

std::string Minutes(LONG milliseconds) {
  const LONG seconds = milliseconds / 1000;
  const std::string rest = std::to_string(seconds % 60);
  return std::to_string(seconds / 60) + ":" + (rest.size() < 2 ? "0" : "") + rest;
}

// What a player may leave behind: threads, engine instances, sound devices, players, clients,
// widgets in the host, DCs, bitmaps, brushes.
using Leftovers = std::array<long long, 9>;

Leftovers Count(HWND dialog) {
  const platform::gdi::LiveObjects gdi = platform::gdi::CountLiveObjects();
  return {static_cast<long long>(test_support::ThreadCount()),
          raengine::LiveInstances(),
          raengine::OpenDevices(),
          raui::LivePlayers(),
          raui::LiveClients(),
          Host(dialog)->findChildren<QWidget*>().size(),
          gdi.dcs,
          gdi.bitmaps,
          gdi.brushes};
}

class PlayerTest : public ::testing::Test {
 protected:
  test_support::DiskSoundOutput sound_;
  ClipWindowRecord record_{};
  raui_test::PlayerObjects player_;

  raui_test::Step MakePlayerIn() {
    return [this](HWND dialog) {
      record_.window = GetDlgItem(dialog, kPlayerArea);
      player_ = raui_test::MakePlayer(&record_);
      return true;
    };
  }
};

// The device opens when play is pressed and closes when the clip stops, pauses or ends: until
// then nothing at all reaches the output, and afterwards it stops growing.
TEST_F(PlayerTest, PlaysTheExactClipOnlyWhenAskedWithTheDeviceOpenOnlyMeanwhile) {
  const auto rising = raengine::DecodeClip(ClipPath("tune-rising.ra").c_str());
  const auto chime = raengine::DecodeClip(ClipPath("chime.ra").c_str());
  ASSERT_EQ(rising.error, RA_OK);
  std::chrono::steady_clock::time_point idleUntil;
  const auto idle = [&idleUntil](HWND /*dialog*/) {
    return std::chrono::steady_clock::now() > idleUntil;
  };
  std::size_t threads = 0;
  std::size_t written = 0;
  RunPlayerDialog({
      MakePlayerIn(),
      [&](HWND dialog) {
        // The old form's header would have the one-second tune last 50 seconds.
        for (const char* name : {"tune-falling-old.ra", "tune-rising.ra"}) {
          EXPECT_EQ(RaguiSetSource(player_.ui, ClipPath(name).c_str()), RAGUI_OK);
          EXPECT_EQ(Text(dialog, "name"), name);
          EXPECT_EQ(Text(dialog, "elapsed"), "0:00");
          EXPECT_EQ(Text(dialog, "total"),
                    Minutes(LengthMs(raengine::DecodeClip(ClipPath(name).c_str()))))
              << name;
        }
        idleUntil = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
        return true;
      },
      idle,
      [&](HWND dialog) {
        EXPECT_TRUE(sound_.Samples().empty()) << "nothing reaches the output before play";
        EXPECT_EQ(raengine::OpenDevices(), 0);
        threads = test_support::ThreadCount();
        Click(dialog, "play");
        EXPECT_EQ(raengine::OpenDevices(), 1);
        EXPECT_EQ(Find<QAbstractButton>(dialog, "play")->text(), "Pause");
        EXPECT_EQ(Text(dialog, "status"), "Playing");
        return true;
      },
      // The player's own tick brings it back to the start at the clip's end.
      [&](HWND dialog) {
        return Find<QAbstractButton>(dialog, "play")->text() == "Play" &&
               Find<QSlider>(dialog, "position")->value() == 0;
      },
      [&](HWND /*dialog*/) {
        EXPECT_EQ(Probe(player_.ui).state, PlayState::Stopped);
        EXPECT_EQ(raengine::OpenDevices(), 0) << "the end closes the device";
        const auto output = sound_.Samples();
        const std::size_t at = test_support::FindSamples(output, rising.samples);
        EXPECT_NE(at, std::string::npos) << "the clip, sample for sample";
        EXPECT_EQ(test_support::FindSamples(output, rising.samples, at + 1), std::string::npos);
        written = output.size();
        idleUntil = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
        return true;
      },
      idle,
      [&](HWND dialog) {
        EXPECT_EQ(sound_.Samples().size(), written) << "the output stopped with the clip";
        EXPECT_EQ(test_support::ThreadCount(), threads) << "the audio thread ended";
        // Real time, so that the clip cannot end among the clicks.
        setenv("SDL_DISKAUDIODELAY", "32", 1);
        struct Press {
          const char* name;
          std::function<void()> press;
          PlayState state;
          int devices;
        };
        const auto play = [&] { Click(dialog, "play"); };
        for (const Press& row : {
                 Press{"play", play, PlayState::Playing, 1},
                 Press{"stop", [&] { Click(dialog, "stop"); }, PlayState::Stopped, 0},
                 Press{"play again", play, PlayState::Playing, 1},
                 Press{"pause", play, PlayState::Paused, 0},
                 Press{"resume", play, PlayState::Playing, 1},
                 Press{"another source",
                       [&] { RaguiSetSource(player_.ui, ClipPath("chime.ra").c_str()); },
                       PlayState::Stopped, 0},
             }) {
          row.press();
          EXPECT_EQ(Probe(player_.ui).state, row.state) << "after " << row.name;
          EXPECT_EQ(raengine::OpenDevices(), row.devices) << "after " << row.name;
        }
        const auto now = Probe(player_.ui);
        EXPECT_EQ(now.playedMs, 0);
        EXPECT_EQ(now.lengthMs, LengthMs(chime));
        EXPECT_EQ(Text(dialog, "name"), "chime.ra");
        EXPECT_EQ(Text(dialog, "total"), Minutes(LengthMs(chime)));
        raui_test::EndPlayer(player_);
        return true;
      },
  });
}

TEST_F(PlayerTest, SliderSeeksPauseKeepsThePlaceTheLayoutFollowsFlagsAndHostAndGoesWithIt) {
  const LONG length = LengthMs(raengine::DecodeClip(ClipPath("tune-rising.ra").c_str()));
  // Real time, so that the clip still plays when the dialog ends.
  setenv("SDL_DISKAUDIODELAY", "32", 1);
  RunPlayerDialog({
      MakePlayerIn(),
      [&](HWND dialog) {
        EXPECT_EQ(RaguiSetSource(player_.ui, ClipPath("tune-rising.ra").c_str()), RAGUI_OK);
        Find<QSlider>(dialog, "position")->setValue(length / 2);
        EXPECT_EQ(Probe(player_.ui).playedMs, length / 2);
        EXPECT_EQ(Text(dialog, "elapsed"), Minutes(length / 2));
        Click(dialog, "play");
        Click(dialog, "play");
        EXPECT_EQ(Probe(player_.ui).state, PlayState::Paused);
        EXPECT_EQ(Text(dialog, "status"), "Paused");
        const LONG pausedAt = Probe(player_.ui).playedMs;
        EXPECT_GE(pausedAt, length / 2);
        EXPECT_EQ(Probe(player_.ui).playedMs, pausedAt) << "a paused clip keeps its place";
        Click(dialog, "stop");
        EXPECT_EQ(Probe(player_.ui).playedMs, 0);
        EXPECT_EQ(Find<QSlider>(dialog, "position")->value(), 0);

        // The whole player fits the dialog's area.
        auto* player = Host(dialog)->findChild<QWidget*>("clipPlayer");
        const auto* frame = qobject_cast<QFrame*>(Host(dialog));
        EXPECT_EQ(player->geometry(), frame->contentsRect());
        EXPECT_LE(player->minimumSizeHint().height(), player->height());
        EXPECT_LE(player->minimumSizeHint().width(), player->width());

        struct Shown {
          DWORD flags;
          bool buttons, position, status;
        };
        for (const Shown& row :
             {Shown{0x100, true, false, false}, Shown{0x200, false, true, false},
              Shown{0x400, false, false, true}, Shown{0x700, true, true, true}}) {
          RaguiSetControlsFlags(player_.ui, row.flags);
          for (const auto& [name, shown] :
               {std::pair{"play", row.buttons}, std::pair{"stop", row.buttons},
                std::pair{"position", row.position}, std::pair{"elapsed", row.position},
                std::pair{"total", row.position}, std::pair{"name", row.status},
                std::pair{"status", row.status}}) {
            EXPECT_EQ(Find<QWidget>(dialog, name)->isVisibleTo(player), shown)
                << name << " with flags " << row.flags;
          }
        }
        for (const auto& [noLabels, look] :
             {std::pair{1, Qt::ToolButtonIconOnly}, std::pair{0, Qt::ToolButtonTextBesideIcon}}) {
          RaguiSetNoLabels(player_.ui, noLabels);
          EXPECT_EQ(Find<QToolButton>(dialog, "stop")->toolButtonStyle(), look);
        }
        // The host's size, however it comes to change.
        Host(dialog)->resize(400, 200);
        return true;
      },
      [&](HWND dialog) {
        auto* player = Host(dialog)->findChild<QWidget*>("clipPlayer");
        return Host(dialog)->size() == QSize(400, 200) &&
               player->geometry() == qobject_cast<QFrame*>(Host(dialog))->contentsRect();
      },
      [&](HWND dialog) {
        Click(dialog, "play");
        return true;
      },
  });
  // The dialog ended before the player: the sound stopped with it.
  EXPECT_EQ(Probe(player_.ui).state, PlayState::Stopped);
  raui_test::EndPlayer(player_);
}

// Missing or not sound: the player says why and stays usable. Nowhere to play it: the play says
// why, and a later play may find the device.
TEST_F(PlayerTest, AClipThatCannotBeOpenedOrPlayedShowsItsError) {
  const std::filesystem::path notSound = sound_.Path().string() + ".txt";
  std::ofstream(notSound) << "no sound in here\n";
  RunPlayerDialog({
      MakePlayerIn(),
      [&](HWND dialog) {
        for (const std::string& bad : {std::string("/nonexistent/clip.ra"), notSound.string()}) {
          EXPECT_EQ(RaguiSetSource(player_.ui, bad.c_str()), RAGUI_E_CLIP) << bad;
          EXPECT_EQ(FullText(dialog, "status"),
                    RaGetErrorText(raengine::DecodeClip(bad.c_str()).error));
          EXPECT_EQ(FullText(dialog, "name"), std::filesystem::path(bad).filename().string());
          EXPECT_FALSE(Find<QAbstractButton>(dialog, "play")->isEnabled());
          EXPECT_EQ(Probe(player_.ui).state, PlayState::Empty);
        }
        setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
        EXPECT_EQ(RaguiSetSource(player_.ui, ClipPath("chime.ra").c_str()), RAGUI_OK);
        EXPECT_EQ(Text(dialog, "status"), "Stopped");
        Click(dialog, "play");
        EXPECT_EQ(FullText(dialog, "status"), RaGetErrorText(RA_E_NO_DEVICE));
        EXPECT_EQ(Probe(player_.ui).state, PlayState::Stopped);
        EXPECT_EQ(Find<QAbstractButton>(dialog, "play")->text(), "Play");
        EXPECT_TRUE(Find<QAbstractButton>(dialog, "play")->isEnabled());
        setenv("SDL_AUDIODRIVER", "disk", 1);
        Click(dialog, "play");
        EXPECT_EQ(Text(dialog, "status"), "Playing");
        raui_test::EndPlayer(player_);
        return true;
      },
  });
  std::filesystem::remove(notSound);
}

// Stopping the sound, the engine and its device, the widgets: nothing stays, however often. SDL
// lets an output device go only after two periods of waiting (64 ms for these clips), so the
// thousand players get a source that opens no device, and a few dozen play a real clip.
TEST_F(PlayerTest, DestroyLeavesNothingBehindEvenAThousandTimes) {
  Leftovers before;
  const auto cycle = [this](const std::string& source, bool play) {
    player_ = raui_test::MakePlayer(&record_);
    RaguiSetSource(player_.ui, source.c_str());
    if (play) raui::PressPlay(player_.ui);
    raui_test::EndPlayer(player_);
  };
  const std::string clip = ClipPath("chime.ra");
  RunPlayerDialog({
      [&](HWND dialog) {
        record_.window = GetDlgItem(dialog, kPlayerArea);
        cycle(clip, true);
        before = Count(dialog);
        EXPECT_EQ(before[5], 0) << "the host's own background again";
        return true;
      },
      [&](HWND dialog) {
        for (int round = 0; round < 25; ++round) cycle(clip, round % 2 == 0);
        EXPECT_EQ(Count(dialog), before) << "after players that played";
        for (int round = 0; round < 1000; ++round) cycle("/nonexistent/clip.ra", true);
        EXPECT_EQ(Count(dialog), before) << "after a thousand players";
        // The client ends the players left on it.
        player_ = raui_test::MakePlayer(&record_);
        EXPECT_EQ(RaguiSetSource(player_.ui, clip.c_str()), RAGUI_OK);
        EXPECT_EQ(RaguiShutdownClient(player_.client), RAGUI_OK);
        EXPECT_EQ(RaguiDestroy(player_.ui), RAGUI_E_BAD_UI);
        EXPECT_EQ(Count(dialog), before);
        return true;
      },
  });
  EXPECT_EQ(before[1], 0) << "no engine";
  EXPECT_EQ(before[2], 0) << "no device";
}

}  // namespace
