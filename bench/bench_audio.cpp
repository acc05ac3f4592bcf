// The engine's cost while a clip plays, and how soon RaBegin is heard; then the same for a
// 20-minute 44.1 kHz stereo clip (made with ffmpeg), and the peak memory and CPU share of the song
// player tavrinra playing it; last, how long the dialog's player takes to open an hour of
// RealAudio in either container form, its length found by reading the clip's packets. Sound goes
// to SDL's disk driver paced in real time, as a sound card would take it.
//
//   bench_audio [clip]   (default: the demo's rising tune)
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "libs/raengine/raengine.h"
#include "settings/settings.h"

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

// Utime + stime of another process, in seconds.
double ProcessCpuSeconds(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // Fields after the command's closing parenthesis; utime and stime are the 12th and 13th.
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  double ticks = 0;
  for (int index = 1; index <= 13 && fields >> field; ++index) {
    if (index >= 12) ticks += std::stod(field);
  }
  return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// The peak resident memory of a process, in MB (VmHWM).
double PeakResidentMb(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  }
  return -1;
}

// RaOpen's time, RaBegin to the first samples heard, and the CPU share over two seconds of play.
bool MeasureEngine(const std::string& clip, const std::string& output) {
  std::filesystem::remove(output);
  LONG instance = 0;
  const HINSTANCE client = nullptr;
  RaSetup(&client, &instance, 0);
  RaVolumeSupport(instance, 100);
  const auto openStart = std::chrono::steady_clock::now();
  if (const LONG error = RaOpen(instance, 0, clip.c_str(), 1, 0); error != RA_OK) {
    std::fprintf(stderr, "RaOpen: %s\n", RaGetErrorText(error));
    RaShutdown(instance);
    return false;
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
  std::printf("RaOpen (%s): %.2f ms\n", clip.c_str(), ms(begin - openStart));
  std::printf("RaBegin to first samples in the output: %.2f ms\n", ms(heard - begin));
  std::printf("CPU while playing: %.2f %% of one core\n", 100.0 * cpu / wall);
  return true;
}

// tavrinra playing `clip` as its only song for a few seconds: its peak memory and CPU share.
void MeasurePlayer(const std::string& clip, const std::filesystem::path& folder) {
  setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
  WriteSetting(nullptr, "The Gig", "S0", clip.c_str());
  WriteSetting(nullptr, "The Gig", "Songs", "1");
  WriteSetting(nullptr, "Settings", "EffectDelay", "0");
  const std::string output = (folder / "player.raw").string();
  const pid_t child = fork();
  if (child == 0) {
    unsetenv("DISPLAY");
    setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
    if (std::freopen("/dev/null", "w", stderr) == nullptr) _exit(126);
    execl(TAVRIN_PLAYER_PROGRAM, "tavrinra", static_cast<char*>(nullptr));
    _exit(127);
  }
  if (child < 0) return;
  std::this_thread::sleep_for(std::chrono::seconds(3));
  const double cpuStart = ProcessCpuSeconds(child);
  std::this_thread::sleep_for(std::chrono::seconds(4));
  const double cpu = ProcessCpuSeconds(child) - cpuStart;
  const double peak = PeakResidentMb(child);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  std::printf("tavrinra playing it: peak RSS %.1f MB, CPU %.2f %% of one core\n", peak,
              100.0 * cpu / 4.0);
}

// An hour of RealAudio 1.0 (14.4K) in the RealMedia container: a minute encoded, then copied
// sixty times over. Also the same frames behind a version 3 ".ra\xfd" header, as
// scripts/make-clips writes the old form.
bool MakeHourOfRealAudio(const std::filesystem::path& folder, const std::string& rmf,
                         const std::string& old) {
  const std::string minute = (folder / "minute.ra").string();
  const std::string list = (folder / "minutes.txt").string();
  const std::string frames = (folder / "frames.bin").string();
  {
    std::ofstream names(list);
    for (int copy = 0; copy < 60; ++copy) names << "file '" << minute << "'\n";
  }
  const std::string made =
      "/usr/bin/ffmpeg -loglevel error -y -f lavfi -i sine=f=440:r=8000:d=60 -ac 1 -c:a real_144 "
      "-f rm " +
      minute + " && /usr/bin/ffmpeg -loglevel error -y -f concat -safe 0 -i " + list +
      " -c copy -f rm " + rmf + " && /usr/bin/ffmpeg -loglevel error -y -i " + rmf +
      " -map 0:a -c copy -f data " + frames;
  if (std::system(made.c_str()) != 0) return false;
  std::ofstream out(old, std::ios::binary);
  // Version 3, 24 header bytes after these, a rate field of 1800 and four empty texts, "lpcJ".
  static const char kHeader[] =
      ".ra\xfd\0\x03\0\x18\0\0\0\0\0\0\0\0\x07\x08\0\0\0\0\0\0\0\0\0\x04lpcJ";
  out.write(kHeader, sizeof kHeader - 1);
  std::ifstream in(frames, std::ios::binary);
  out << in.rdbuf();
  return out.good();
}

// RaOpen as the dialog's player calls it (no device until play), and the length it then shows.
void MeasureLongOpen(const std::string& clip, const char* form) {
  LONG instance = 0;
  const HINSTANCE client = nullptr;
  RaSetup(&client, &instance, 0);
  RaSetDeviceHold(instance, FALSE);
  const auto start = std::chrono::steady_clock::now();
  const LONG error = RaOpen(instance, 0, clip.c_str(), 1, 0);
  const auto opened = std::chrono::steady_clock::now();
  LONG length = 0;
  RaGetPosition(instance, nullptr, &length);
  RaShutdown(instance);
  if (error != RA_OK) {
    std::fprintf(stderr, "RaOpen (%s): %s\n", form, RaGetErrorText(error));
    return;
  }
  std::printf("RaOpen of an hour of RealAudio 14.4K (%s): %.2f ms, length %ld:%02ld\n", form,
              std::chrono::duration<double, std::milli>(opened - start).count(),
              static_cast<long>(length / 60000), static_cast<long>(length / 1000 % 60));
}

}  // namespace

int main(int argc, char** argv) {
  const std::string clip = argc > 1 ? argv[1] : std::string(TAVRIN_CLIPS_DIR) + "/tune-rising.ra";
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("bench-audio-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder / "config");
  const std::string output = (folder / "output.raw").string();
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
  unsetenv("SDL_DISKAUDIODELAY");

  int status = MeasureEngine(clip, output) ? 0 : 1;
  // A long clip costs what a short one does: only a few seconds of it are held decoded.
  const std::string longClip = (folder / "twenty-minutes.ogg").string();
  const std::string made =
      "/usr/bin/ffmpeg -loglevel error -y -f lavfi -i "
      "sine=f=440:r=44100:d=1200 -ac 2 -c:a libvorbis -q:a 0 " +
      longClip;
  if (std::system(made.c_str()) == 0) {
    if (!MeasureEngine(longClip, output)) status = 1;
    MeasurePlayer(longClip, folder);
  } else {
    std::fprintf(stderr, "ffmpeg could not make the 20-minute clip\n");
    status = 1;
  }
  const std::string hour = (folder / "hour.ra").string();
  const std::string hourOld = (folder / "hour-old.ra").string();
  if (MakeHourOfRealAudio(folder, hour, hourOld)) {
    MeasureLongOpen(hour, "RealMedia");
    MeasureLongOpen(hourOld, "old .ra form");
  } else {
    std::fprintf(stderr, "ffmpeg could not make the hour of RealAudio\n");
    status = 1;
  }
  std::filesystem::remove_all(folder);
  return status;
}
