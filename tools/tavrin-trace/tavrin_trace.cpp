// tavrin-trace: follows one transition, or reads the settings, the way the saver would.
//
//   tavrin-trace effect EFFECT DIR W H GRAIN [--at X Y] [--window WW HH] [--abort-after N]
//                [--clock MS] [--delay-factor F]
//       runs the effect on a W x H test picture at (X, Y) in a black WW x HH window and prints
//       "blt DX DY W H SX SY", "stretch DX DY W H SX SY SW SH" and "pace" lines as they happen,
//       then "diff N", the pixels of the picture's place in the window left unlike the picture.
//       --abort-after N makes the N-th pace step see a key press.
//   tavrin-trace settings
//       prints what the saver reads from the settings store, one name=value a line.
//   tavrin-trace dialog
//       runs the configuration dialog with the real store and picture library, as `tavrin /c`
//       would, taking a user's actions from standard input, one a line:
//         click ID | pick ID TEXT | pick ID #N | type ID TEXT | arrow ID up|down |
//         key escape|enter|f1 | close | wait MS | choose PATH | cancel-chooser | answer N | show
//       ("choose PATH" adds a file to the next file chooser's answer, so several make a multiple
//       choice; a chooser with no file to answer, or after "cancel-chooser", is cancelled)
//       and printing what happens, one event a line, as it happens:
//         write SUBKEY NAME VALUE | box TYPE CAPTION|TEXT | help PATH COMMAND |
//         chooser DIR|TITLE|FLAGS|DEFEXT | ragui CALL ARGS | thumbnail PATH WIDTH HEIGHT |
//         timer ID MS | killtimer ID | end RESULT
//       "show" prints "ctl ID enabled=0|1 visible=0|1 checked=0|1 text=TEXT" for each control in
//       template order, with " sel=N count=N" and one "entry N TEXT" line per entry for combos and
//       lists (a TAB as \t). After the last action: "open" when a dialog is still open. Exit 0.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string_view>

#include "tools/tavrin-trace/dialog_trace.h"
#include "tools/tavrin-trace/effect_trace.h"
#include "tools/tavrin-trace/settings_report.h"

namespace {

constexpr int Usage = 2;
// The window's pixels are held in memory; a quarter of a gigabyte is plenty for any screen.
constexpr std::int64_t MaxWindowPixels = std::int64_t{1} << 26;

int ShowUsage(const char* problem) {
  if (problem != nullptr) std::fprintf(stderr, "tavrin-trace: %s\n", problem);
  std::fputs(
      "usage: tavrin-trace effect EFFECT DIR W H GRAIN [--at X Y] [--window WW HH]\n"
      "                    [--abort-after N] [--clock MS] [--delay-factor F]\n"
      "       tavrin-trace settings\n"
      "       tavrin-trace dialog < ACTIONS\n",
      stderr);
  return Usage;
}

// The whole text must be the number, within [low, high].
template <typename Number>
bool ParseNumber(const char* text, Number low, Number high, Number* number) {
  const std::string_view view(text);
  Number parsed{};
  const auto [end, error] = std::from_chars(view.data(), view.data() + view.size(), parsed);
  if (error != std::errc() || end != view.data() + view.size()) return false;
  if (parsed < low || parsed > high) return false;
  *number = parsed;
  return true;
}

bool ParseInt(const char* text, int low, int high, int* number) {
  return ParseNumber<int>(text, low, high, number);
}

constexpr int AnyLow = std::numeric_limits<int>::min();
constexpr int AnyHigh = std::numeric_limits<int>::max();

int RunEffect(int argc, char** argv) {
  if (argc < 7) return ShowUsage("effect needs EFFECT DIR W H GRAIN");
  trace::EffectTraceOptions options;
  if (!ParseInt(argv[2], AnyLow, AnyHigh, &options.effect)) return ShowUsage("bad EFFECT");
  if (!ParseInt(argv[3], AnyLow, AnyHigh, &options.direction)) return ShowUsage("bad DIR");
  if (!ParseInt(argv[4], 1, AnyHigh, &options.width)) return ShowUsage("W must be at least 1");
  if (!ParseInt(argv[5], 1, AnyHigh, &options.height)) return ShowUsage("H must be at least 1");
  if (!ParseInt(argv[6], 1, AnyHigh, &options.grain)) return ShowUsage("GRAIN must be at least 1");
  if (std::int64_t{options.width} * options.height > trace::MaxPicturePixels) {
    return ShowUsage("the picture may have at most 16777215 pixels");
  }

  for (int at = 7; at < argc; ++at) {
    const std::string_view option(argv[at]);
    const int left = argc - at - 1;  // arguments after the option's name
    if (option == "--at" && left >= 2) {
      if (!ParseInt(argv[at + 1], AnyLow, AnyHigh, &options.targetX) ||
          !ParseInt(argv[at + 2], AnyLow, AnyHigh, &options.targetY)) {
        return ShowUsage("bad --at X Y");
      }
      at += 2;
    } else if (option == "--window" && left >= 2) {
      if (!ParseInt(argv[at + 1], 1, AnyHigh, &options.windowWidth) ||
          !ParseInt(argv[at + 2], 1, AnyHigh, &options.windowHeight) ||
          std::int64_t{options.windowWidth} * options.windowHeight > MaxWindowPixels) {
        return ShowUsage("bad --window WW HH");
      }
      at += 2;
    } else if (option == "--abort-after" && left >= 1) {
      if (!ParseInt(argv[at + 1], 1, AnyHigh, &options.abortAfter)) {
        return ShowUsage("bad --abort-after N");
      }
      ++at;
    } else if (option == "--clock" && left >= 1) {
      if (!ParseNumber<std::uint32_t>(argv[at + 1], 0, std::numeric_limits<std::uint32_t>::max(),
                                      &options.clock)) {
        return ShowUsage("bad --clock MS");
      }
      ++at;
    } else if (option == "--delay-factor" && left >= 1) {
      if (!ParseInt(argv[at + 1], 0, 10, &options.delayFactor)) {
        return ShowUsage("--delay-factor takes 0 to 10");
      }
      ++at;
    } else {
      return ShowUsage("unknown or incomplete option");
    }
  }
  if (options.windowWidth == 0) {
    options.windowWidth = options.width;
    options.windowHeight = options.height;
    if (std::int64_t{options.windowWidth} * options.windowHeight > MaxWindowPixels) {
      return ShowUsage("the window would be too large");
    }
  }

  // Long traces: one write per buffer, not per line.
  static char buffer[1 << 16];
  std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
  trace::TraceEffect(options, stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "effect") == 0) return RunEffect(argc, argv);
  if (argc == 2 && std::strcmp(argv[1], "dialog") == 0) {
    trace::TraceDialog(stdin, stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "settings") == 0) {
    trace::ReportSettings(stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  return ShowUsage(nullptr);
}
