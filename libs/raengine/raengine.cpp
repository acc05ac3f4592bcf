// The engine's instances, their output device and the audio callback that plays a clip and
// reports its end.
#include "libs/raengine/raengine.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "libs/raengine/clip_decoder.h"
#include "libs/raengine/decode_ahead.h"
#include "libs/raengine/engine_probe.h"
#include "libs/raengine/sample_ring.h"

namespace {

// Posted for every clip end; the player reads it whenever it gets round to the message.
const RaNotifyRecord kClipEnded{RA_NOTIFY_PLAYBACK, RA_NOTIFY_CLIP_ENDED};

enum class ClipState {
  None,      // nothing open
  Ready,     // opened, waiting for RaBegin
  Playing,   // samples going out
  Draining,  // the last samples were handed over; they reach the output with the next period
  Ended,     // notified; further RaBegin calls change nothing
};

// Seconds of sound decoded ahead: enough to ride out a slow disk, little enough to cost nothing.
constexpr int kAheadSeconds = 4;
// Decoded before RaOpen returns, so that the start never waits for the decoding thread.
constexpr int kPrimeTenths = 10;
// The decoding thread's piece: a tenth of a second.
constexpr int kPiecesPerSecond = 10;

// Everything the audio callback reads or writes. The engine's calls change it only while they
// hold the device lock; the ring is shared with the decoding thread without a lock.
struct Playback {
  raengine::SampleRing ring;
  raengine::DecodeAhead* decoder = nullptr;
  std::size_t played = 0;         // samples handed to the output since the clip's start
  std::int64_t lengthFrames = 0;  // what the file declares, then what actually played
  int rate = 0;
  int channels = 0;
  ClipState state = ClipState::None;
  bool paused = false;
  LONG volume = RA_VOLUME_MAX_DEFAULT;
  LONG scale = RA_VOLUME_MAX_DEFAULT;
  HWND window = nullptr;
  UINT message = 0;
  LONG handle = 0;
};

struct Instance {
  HINSTANCE client = nullptr;
  HWND window = nullptr;
  UINT message = 0;
  DWORD mask = 0;
  std::string clientId;
  // Held: the device stays open from clip to clip (a run of clips with pauses between). Not held:
  // it is open only while the clip sounds.
  bool holdDevice = true;
  bool audioStarted = false;
  SDL_AudioDeviceID device = 0;
  int deviceRate = 0;
  int deviceChannels = 0;
  std::unique_ptr<raengine::ClipStream> clip;
  raengine::DecodeAhead decodeAhead;  // stopped before the clip or the playback go
  Playback playback;
};

// The calls may come from more than one thread (the dialog's clip preview and its own); the
// callback never takes this lock.
std::mutex registryLock;
std::map<LONG, std::unique_ptr<Instance>> instances;
LONG lastHandle = 0;

Instance* Find(LONG handle) {
  const auto found = instances.find(handle);
  return found == instances.end() ? nullptr : found->second.get();
}

// Holds the device lock (when there is a device) for changes the callback must see whole.
class DeviceLock {
 public:
  explicit DeviceLock(const Instance& instance) : device_(instance.device) {
    if (device_ != 0) SDL_LockAudioDevice(device_);
  }
  ~DeviceLock() {
    if (device_ != 0) SDL_UnlockAudioDevice(device_);
  }
  DeviceLock(const DeviceLock&) = delete;
  DeviceLock& operator=(const DeviceLock&) = delete;

 private:
  SDL_AudioDeviceID device_;
};

void Scale(std::int16_t* samples, std::size_t count, LONG volume, LONG scale) {
  if (volume >= scale) return;
  for (std::size_t i = 0; i < count; ++i) {
    samples[i] = static_cast<std::int16_t>(static_cast<std::int64_t>(samples[i]) * volume / scale);
  }
}

// The audio thread's callback: the clip's next samples, then silence. It never waits: samples the
// decoding thread has not delivered yet become silence. The end is reported one period after the
// last samples were handed over, when the device has taken them.
void FillOutput(void* userdata, Uint8* stream, int length) {
  auto& playback = *static_cast<Playback*>(userdata);
  auto* out = reinterpret_cast<std::int16_t*>(stream);
  const std::size_t wanted = static_cast<std::size_t>(length) / sizeof(std::int16_t);
  std::size_t copied = 0;
  if (playback.paused) {
    // Silence, and the clip keeps its place (a paused clip that had drained ends on resuming).
  } else if (playback.state == ClipState::Playing) {
    const bool decodedAll = playback.ring.Ended();
    copied = playback.ring.Read(out, wanted);
    Scale(out, copied, playback.volume, playback.scale);
    playback.played += copied;
    if (copied > 0 && playback.decoder != nullptr) playback.decoder->Wake();
    if (decodedAll && playback.ring.Available() == 0) {
      playback.state = ClipState::Draining;
      // A damaged clip ends before its declared length.
      playback.lengthFrames =
          static_cast<std::int64_t>(playback.played / static_cast<std::size_t>(playback.channels));
    }
  } else if (playback.state == ClipState::Draining) {
    playback.state = ClipState::Ended;
    if (playback.window != nullptr) {
      PostMessage(playback.window, playback.message, static_cast<WPARAM>(playback.handle),
                  reinterpret_cast<LPARAM>(&kClipEnded));
    }
  }
  std::memset(out + copied, 0, (wanted - copied) * sizeof(std::int16_t));
}

void CloseDevice(Instance& instance) {
  if (instance.device != 0) {
    // Waits for the audio thread to end, so the callback is not running afterwards.
    SDL_CloseAudioDevice(instance.device);
    instance.device = 0;
  }
  instance.deviceRate = 0;
  instance.deviceChannels = 0;
}

// Opens the output in the clip's own format, so that a run of clips of one format plays through
// one device, pauses between clips included; a clip of another format reopens it.
LONG OpenDevice(Instance& instance, int rate, int channels) {
  if (instance.device != 0 && instance.deviceRate == rate && instance.deviceChannels == channels) {
    return RA_OK;
  }
  CloseDevice(instance);
  if (!instance.audioStarted) {
    // SDL would otherwise turn SIGINT and SIGTERM into quit events nobody reads, and a player
    // started from a terminal or ended by its caller would no longer stop.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return RA_E_NO_DEVICE;
    instance.audioStarted = true;
  }
  SDL_AudioSpec wanted{};
  wanted.freq = rate;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = static_cast<Uint8>(channels);
  // About 20 ms a period: a quick start without waking the audio thread too often.
  Uint16 period = 128;
  while (period < 4096 && period < rate / 50) period = static_cast<Uint16>(period * 2);
  wanted.samples = period;
  wanted.callback = FillOutput;
  wanted.userdata = &instance.playback;
  SDL_AudioSpec obtained{};
  const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (device == 0) return RA_E_NO_DEVICE;
  instance.device = device;
  instance.deviceRate = rate;
  instance.deviceChannels = channels;
  SDL_PauseAudioDevice(device, 0);
  return RA_OK;
}

// Whether the output is taking the clip's samples now (the drained clip's last period included).
bool Sounding(const Instance& instance) {
  const DeviceLock lock(instance);
  const Playback& playback = instance.playback;
  return !playback.paused &&
         (playback.state == ClipState::Playing || playback.state == ClipState::Draining);
}

// For an instance that does not hold its device: opens it when the clip sounds and closes it
// when the clip does not, so that nothing streams silence to the sound server. Called after every
// change of the clip; the callback can only end a clip, which the next call then settles.
LONG SettleDevice(Instance& instance) {
  if (instance.holdDevice) return RA_OK;
  if (!Sounding(instance)) {
    CloseDevice(instance);
    return RA_OK;
  }
  return OpenDevice(instance, instance.playback.rate, instance.playback.channels);
}

void DropClip(Instance& instance) {
  instance.decodeAhead.Stop();
  {
    const DeviceLock lock(instance);
    instance.playback.ring.Reset(0);
    instance.playback.played = 0;
    instance.playback.state = ClipState::None;
    instance.playback.paused = false;
  }
  instance.clip.reset();
}

// Fills the ring from where the clip stands and starts the decoding thread. The ring has been
// reset, and the callback takes nothing from it before the clip is playing.
void StartDecoding(Instance& instance) {
  raengine::ClipStream& clip = *instance.clip;
  const auto second =
      static_cast<std::size_t>(clip.Rate()) * static_cast<std::size_t>(clip.Channels());
  std::vector<std::int16_t> prime(second * kPrimeTenths / 10);
  const std::size_t got = clip.Read(prime.data(), prime.size());
  instance.playback.ring.Write(prime.data(), got);
  if (got < prime.size()) {
    instance.playback.ring.MarkEnded();
    return;
  }
  const std::size_t piece = std::max<std::size_t>(second / kPiecesPerSecond, 64) /
                            static_cast<std::size_t>(clip.Channels()) *
                            static_cast<std::size_t>(clip.Channels());
  instance.decodeAhead.Start(clip, instance.playback.ring, piece);
}

std::size_t RingCapacity(const raengine::ClipStream& clip) {
  return static_cast<std::size_t>(kAheadSeconds) * static_cast<std::size_t>(clip.Rate()) *
         static_cast<std::size_t>(clip.Channels());
}

// Milliseconds of a clip that `samples` interleaved samples make.
LONG Milliseconds(const Playback& playback, std::size_t samples) {
  if (playback.rate <= 0 || playback.channels <= 0) return 0;
  const auto frames =
      static_cast<std::int64_t>(samples / static_cast<std::size_t>(playback.channels));
  return static_cast<LONG>(frames * 1000 / playback.rate);
}

}  // namespace

namespace raengine {

int LiveInstances() {
  const std::lock_guard guard(registryLock);
  return static_cast<int>(instances.size());
}

int OpenDevices() {
  const std::lock_guard guard(registryLock);
  return static_cast<int>(std::count_if(instances.begin(), instances.end(), [](const auto& entry) {
    return entry.second->device != 0;
  }));
}

}  // namespace raengine

extern "C" {

LONG WINAPI RaSetup(const HINSTANCE* client, LONG* instance, LONG /*reserved*/) {
  if (instance == nullptr) return RA_E_INVALID_ARGUMENT;
  const std::lock_guard guard(registryLock);
  auto created = std::make_unique<Instance>();
  created->client = client != nullptr ? *client : nullptr;
  const LONG handle = ++lastHandle;
  created->playback.handle = handle;
  instances.emplace(handle, std::move(created));
  *instance = handle;
  return RA_OK;
}

LONG WINAPI RaRegisterNotifyWnd(LONG instance, HWND window, UINT message, DWORD mask) {
  const std::lock_guard guard(registryLock);
  Instance* found = Find(instance);
  if (found == nullptr) return RA_E_BAD_INSTANCE;
  found->window = window;
  found->message = message;
  found->mask = mask;
  const DeviceLock lock(*found);
  const bool wantsEnd = (mask & (1u << RA_NOTIFY_PLAYBACK)) != 0;
  found->playback.window = wantsEnd ? window : nullptr;
  found->playback.message = message;
  return RA_OK;
}

LONG WINAPI RaSetClientLocale(LONG instance, LONG /*locale*/) {
  const std::lock_guard guard(registryLock);
  return Find(instance) != nullptr ? RA_OK : RA_E_BAD_INSTANCE;
}

LONG WINAPI RaFormClientIdString(LPSTR buffer, LONG size, LPCSTR platform, LPCSTR version,
                                 LPCSTR language, LPCSTR distribution) {
  if (buffer == nullptr || size <= 0) return RA_E_INVALID_ARGUMENT;
  const auto text = [](LPCSTR part) { return part != nullptr ? part : ""; };
  const int length =
      std::snprintf(buffer, static_cast<std::size_t>(size), "%s_%s_%s_%s", text(platform),
                    text(version), text(language), text(distribution));
  return length >= 0 && length < size ? RA_OK : RA_E_INVALID_ARGUMENT;
}

LONG WINAPI RaSetClientId(LONG instance, LPCSTR id) {
  if (id == nullptr) return RA_E_INVALID_ARGUMENT;
  const std::lock_guard guard(registryLock);
  Instance* found = Find(instance);
  if (found == nullptr) return RA_E_BAD_INSTANCE;
  found->clientId = id;
  return RA_OK;
}

LONG WINAPI RaVolumeSupport(LONG instance, LONG maxVolume) {
  if (maxVolume <= 0) return RA_E_INVALID_ARGUMENT;
  const std::lock_guard guard(registryLock);
  Instance* found = Find(instance);
  if (found == nullptr) return RA_E_BAD_INSTANCE;
  const DeviceLock lock(*found);
  found->playback.scale = maxVolume;
  found->playback.volume = maxVolume;
  return RA_OK;
}

LONG WINAPI RaSetDeviceHold(LONG instance, BOOL hold) {
  const std::lock_guard guard(registryLock);
  Instance* found = Find(instance);
  if (found == nullptr) return RA_E_BAD_INSTANCE;
  found->holdDevice = hold != FALSE;
  if (found->holdDevice) {
    // Held from now on: as if the open clip had opened it.
    if (found->clip) return OpenDevice(*found, found->playback.rate, found->playback.channels);
    return RA_OK;
  }
  return SettleDevice(*found);
}

LONG WINAPI RaOpen(LONG instance, LONG /*flags*/, LPCSTR path, LONG /*mode*/, LONG /*reserved*/) {
  const std::lock_guard guard(registryLock);
  Instance* found = Find(instance);
  if (found == nullptr) return RA_E_BAD_INSTANCE;
  DropClip(*found);
  SettleDevice(*found);
  LONG error = RA_OK;
  std::unique_ptr<raengine::ClipStream> clip = raengine::ClipStream::Open(path, error);
  if (!clip) return error;
  if (found->holdDevice) {
    if (error = OpenDevice(*found, clip->Rate(), clip->Channels()); error != RA_OK) return error;
  }
  {
    const DeviceLock lock(*found);
    Playback& playback = found->playback;
    playback.ring.Reset(RingCapacity(*clip));
    playback.decoder = &found->decodeAhead;
    playback.played = 0;
    playback.lengthFrames = clip->LengthFrames();
    playback.rate = clip->Rate();
    playback.channels = clip->Channels();
    playback.state = ClipState::Ready;
  }
  found->clip = std::move(clip);
  StartDecoding(*found);
  return RA_OK;
}

LONG WINAPI RaBegin(LONG instance) {
  const std::lock_guard guard(registryLock);
  Instance* found = Find(instance);
  if (found == nullptr) return RA_E_BAD_INSTANCE;
  bool started = false;
  {
    const DeviceLock lock(*found);
    switch (found->playback.state) {
      case ClipState::None:
        return RA_E_NO_CLIP;
      case ClipState::Ready:
        found->playback.state = ClipState::Playing;
        started = true;
        break;
      case ClipState::Playing:
      case ClipState::Draining:
      case ClipState::Ended:
        break;
    }
  }
  const LONG error = SettleDevice(*found);
  if (error != RA_OK && started) {
    // Without a device the clip still waits for RaBegin, which tries again.
    const DeviceLock lock(*found);
    found->playback.state = ClipState::Ready;
  }
  return error;
}

LONG WINAPI RaClose(LONG instance) {
  const std::lock_guard guard(registryLock);
  Instance* found = Find(instance);
  if (found == nullptr) return RA_E_BAD_INSTANCE;
  DropClip(*found);
  return SettleDevice(*found);
}

LONG WINAPI RaSetVolume(LONG instance, LONG volume) {
  const std::lock_guard guard(registryLock);
  Instance* found = Find(instance);
  if (found == nullptr) return RA_E_BAD_INSTANCE;
  const DeviceLock lock(*found);
  found->playback.volume = std::clamp<LONG>(volume, 0, found->playback.scale);
  return RA_OK;
}

LONG WINAPI RaPause(LONG instance, BOOL paused) {
  const std::lock_guard guard(registryLock);
  Instance* found = Find(instance);
  if (found == nullptr) return RA_E_BAD_INSTANCE;
  bool wasPaused = false;
  {
    const DeviceLock lock(*found);
    if (found->playback.state == ClipState::None) return RA_E_NO_CLIP;
    wasPaused = found->playback.paused;
    found->playback.paused = paused != FALSE;
  }
  const LONG error = SettleDevice(*found);
  if (error != RA_OK) {
    // Without a device to resume into, the clip stays paused.
    const DeviceLock lock(*found);
    found->playback.paused = wasPaused;
  }
  return error;
}

LONG WINAPI RaSeek(LONG instance, LONG milliseconds) {
  const std::lock_guard guard(registryLock);
  Instance* found = Find(instance);
  if (found == nullptr) return RA_E_BAD_INSTANCE;
  if (!found->clip) return RA_E_NO_CLIP;
  // The decoding thread is stopped while the clip moves: cheap, as only the new place decodes.
  found->decodeAhead.Stop();
  Playback& playback = found->playback;
  const std::int64_t wanted =
      static_cast<std::int64_t>(std::max<LONG>(milliseconds, 0)) * playback.rate / 1000;
  std::int64_t length = 0;
  {
    // The callback settles the length when a damaged clip ends early.
    const DeviceLock lock(*found);
    length = playback.lengthFrames;
  }
  const std::int64_t placed = found->clip->SeekTo(std::min(wanted, length));
  {
    const DeviceLock lock(*found);
    playback.ring.Reset(RingCapacity(*found->clip));
    playback.played =
        static_cast<std::size_t>(placed) * static_cast<std::size_t>(playback.channels);
    if (playback.state == ClipState::Draining || playback.state == ClipState::Ended) {
      playback.state = ClipState::Ready;
    }
  }
  StartDecoding(*found);
  return SettleDevice(*found);
}

LONG WINAPI RaGetPosition(LONG instance, LONG* playedMs, LONG* lengthMs) {
  if (playedMs != nullptr) *playedMs = 0;
  if (lengthMs != nullptr) *lengthMs = 0;
  const std::lock_guard guard(registryLock);
  Instance* found = Find(instance);
  if (found == nullptr) return RA_E_BAD_INSTANCE;
  {
    const DeviceLock lock(*found);
    const Playback& playback = found->playback;
    if (playback.state == ClipState::None) return RA_E_NO_CLIP;
    if (playedMs != nullptr) *playedMs = Milliseconds(playback, playback.played);
    if (lengthMs != nullptr) {
      *lengthMs = Milliseconds(playback, static_cast<std::size_t>(playback.lengthFrames) *
                                             static_cast<std::size_t>(playback.channels));
    }
  }
  // A clip that has ended since the last call lets its device go now.
  SettleDevice(*found);
  return RA_OK;
}

LONG WINAPI RaShutdown(LONG instance) {
  std::unique_ptr<Instance> ending;
  {
    const std::lock_guard guard(registryLock);
    const auto found = instances.find(instance);
    if (found == instances.end()) return RA_E_BAD_INSTANCE;
    ending = std::move(found->second);
    instances.erase(found);
    CloseDevice(*ending);
    ending->decodeAhead.Stop();
    if (ending->audioStarted) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  return RA_OK;
}

LPCSTR WINAPI RaGetErrorText(LONG code) {
  switch (code) {
    case RA_OK:
      return "No error";
    case RA_E_BAD_INSTANCE:
      return "No such engine instance";
    case RA_E_INVALID_ARGUMENT:
      return "Invalid argument";
    case RA_E_FILE_OPEN:
      return "The clip file cannot be opened";
    case RA_E_NO_AUDIO_STREAM:
      return "The clip holds no audio stream";
    case RA_E_DECODE:
      return "The clip cannot be decoded";
    case RA_E_NO_DEVICE:
      return "No sound output device is available";
    case RA_E_CLIP_TOO_LONG:
      return "The clip is longer than one hour";
    case RA_E_NO_CLIP:
      return "No clip is open";
    case RA_E_OUT_OF_MEMORY:
      return "Out of memory";
    default:
      return "Unknown error";
  }
}

}  // extern "C"
