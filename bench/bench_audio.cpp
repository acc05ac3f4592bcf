// The engine's cost while a clip plays, and how soon RaBegin is heard. Sound goes to SDL's disk
// driver paced in real time, as a sound card would take it.
//
//   bench_audio [clip]   (default: the demo's rising tune)
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "libs/raengine/raengine.h"

namespace {

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Whether any non-silent sample has reached the output file yet.
bool Heard(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes(1 << 16);
  while (in.read(bytes.data(), static_cast<long>(bytes.size())) || in.gcount() > 0) {
    for (long i = 0; i < in.gcount(); ++i) {
      if (bytes[static_cast<std::size_t>(i)] != 0) return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string clip = argc > 1 ? argv[1] : std::string(TAVRIN_CLIPS_DIR) + "/tune-rising.ra";
  const std::string output =
      (std::filesystem::temp_directory_path() / "bench-audio-output.raw").string();
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
  unsetenv("SDL_DISKAUDIODELAY");

  LONG instance = 0;
  const HINSTANCE client = nullptr;
  RaSetup(&client, &instance, 0);
  RaVolumeSupport(instance, 100);
  const auto openStart = std::chrono::steady_clock::now();
  if (const LONG error = RaOpen(instance, 0, clip.c_str(), 1, 0); error != RA_OK) {
    std::fprintf(stderr, "RaOpen: %s\n", RaGetErrorText(error));
    return 1;
  }
  const auto begin = std::chrono::steady_clock::now();
  RaBegin(instance);
  while (!Heard(output)) std::this_thread::sleep_for(std::chrono::microseconds(200));
  const auto heard = std::chrono::steady_clock::now();

  // The CPU the whole process spends over two seconds of playing, the polling above excluded.
  const double cpuStart = CpuSeconds();
  const auto wallStart = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(std::chrono::seconds(2));
  const double cpu = CpuSeconds() - cpuStart;
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  RaShutdown(instance);
  std::filesystem::remove(output);

  const auto ms = [](auto span) { return std::chrono::duration<double, std::milli>(span).count(); };
  std::printf("RaOpen (decode %s): %.2f ms\n", clip.c_str(), ms(begin - openStart));
  std::printf("RaBegin to first samples in the output: %.2f ms\n", ms(heard - begin));
  std::printf("CPU while playing: %.2f %% of one core\n", 100.0 * cpu / wall);
  return 0;
}
