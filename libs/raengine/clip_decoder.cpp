#include "libs/raengine/clip_decoder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <utility>

#include "libs/raengine/raengine.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
}

namespace raengine {
namespace {

struct FormatCloser {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecFreer {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct PacketFreer {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct FrameFreer {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct ResamplerFreer {
  void operator()(SwrContext* context) const { swr_free(&context); }
};
using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;
using ResamplerPtr = std::unique_ptr<SwrContext, ResamplerFreer>;

// Seeks this close to the start decode from the start instead, so that they land on the exact
// frame whatever timestamps the file carries (RealMedia's are coarse).
constexpr int kDecodeSeekSeconds = 30;

// Converts decoded frames, whatever their sample format or layout, to interleaved 16-bit
// samples, rebuilding the converter if a stream changes format midway (RealMedia may). The first
// frame fixes the clip's rate and channels; later frames are resampled to them.
class Converter {
 public:
  Converter() = default;
  ~Converter() { av_channel_layout_uninit(&inLayout_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  int rate = 0;
  int channels = 0;

  // Appends the frame's samples to `out`; an RA_E_... code when it cannot.
  LONG Add(const AVFrame& frame, std::vector<std::int16_t>& out) {
    if (!Matches(frame)) {
      if (const LONG error = Rebuild(frame, out); error != RA_OK) return error;
    }
    return Convert(frame.extended_data, frame.nb_samples, out);
  }

  LONG Flush(std::vector<std::int16_t>& out) {
    return resampler_ ? Convert(nullptr, 0, out) : RA_OK;
  }

  // Drops what the converter holds back, for a restart elsewhere in the clip.
  void Reset() { resampler_.reset(); }

 private:
  bool Matches(const AVFrame& frame) const {
    return resampler_ && frame.format == inFormat_ && frame.sample_rate == inRate_ &&
           av_channel_layout_compare(&frame.ch_layout, &inLayout_) == 0;
  }

  LONG Rebuild(const AVFrame& frame, std::vector<std::int16_t>& out) {
    if (resampler_) {
      if (const LONG error = Flush(out); error != RA_OK) return error;
    }
    resampler_.reset();
    av_channel_layout_uninit(&inLayout_);
    if (av_channel_layout_copy(&inLayout_, &frame.ch_layout) < 0) return RA_E_OUT_OF_MEMORY;
    inFormat_ = frame.format;
    inRate_ = frame.sample_rate;
    if (inRate_ <= 0 || inLayout_.nb_channels <= 0) return RA_E_DECODE;
    if (rate == 0) {
      rate = frame.sample_rate;
      channels = frame.ch_layout.nb_channels >= 2 ? 2 : 1;
    }
    AVChannelLayout outLayout{};
    av_channel_layout_default(&outLayout, channels);
    SwrContext* raw = nullptr;
    const int status =
        swr_alloc_set_opts2(&raw, &outLayout, AV_SAMPLE_FMT_S16, rate, &inLayout_,
                            static_cast<AVSampleFormat>(inFormat_), inRate_, 0, nullptr);
    av_channel_layout_uninit(&outLayout);
    resampler_.reset(raw);
    if (status < 0 || swr_init(resampler_.get()) < 0) {
      resampler_.reset();
      return RA_E_DECODE;
    }
    return RA_OK;
  }

  LONG Convert(uint8_t* const* input, int count, std::vector<std::int16_t>& out) {
    const int room = swr_get_out_samples(resampler_.get(), count);
    if (room < 0) return RA_E_DECODE;
    if (room == 0) return RA_OK;
    const std::size_t used = out.size();
    try {
      out.resize(used + static_cast<std::size_t>(room) * static_cast<std::size_t>(channels));
    } catch (const std::bad_alloc&) {
      return RA_E_OUT_OF_MEMORY;
    }
    auto* target = reinterpret_cast<uint8_t*>(out.data() + used);
    const int made =
        swr_convert(resampler_.get(), &target, room, const_cast<const uint8_t**>(input), count);
    out.resize(used +
               static_cast<std::size_t>(std::max(made, 0)) * static_cast<std::size_t>(channels));
    return made < 0 ? RA_E_DECODE : RA_OK;
  }

  ResamplerPtr resampler_;
  AVChannelLayout inLayout_{};
  int inFormat_ = -1;
  int inRate_ = 0;
};

}  // namespace

struct ClipStream::Decoder {
  std::string path;
  FormatPtr format;
  CodecPtr codec;
  PacketPtr packet{av_packet_alloc()};
  FramePtr frame{av_frame_alloc()};
  int stream = -1;
  Converter converter;
  // Converted samples not yet read, from `pendingAt` on.
  std::vector<std::int16_t> pending;
  std::size_t pendingAt = 0;
  std::int64_t skipFrames = 0;   // frames still to drop after a restart
  std::int64_t seekTarget = -1;  // after a seek, the frame the first decoded frame is measured to
  std::int64_t length = 0;
  LONG error = RA_OK;  // why decoding stopped, when it was not the end of the file
  bool ended = false;

  LONG OpenInput() {
    format.reset();
    codec.reset();
    converter.Reset();
    pending.clear();
    pendingAt = 0;
    ended = false;
    error = RA_OK;
    if (!packet || !frame) return RA_E_OUT_OF_MEMORY;
    AVFormatContext* rawFormat = nullptr;
    if (avformat_open_input(&rawFormat, path.c_str(), nullptr, nullptr) < 0) return RA_E_DECODE;
    format.reset(rawFormat);
    // A truncated file may leave the stream information incomplete; decoding tells the rest.
    avformat_find_stream_info(format.get(), nullptr);
    const AVCodec* decoder = nullptr;
    stream = av_find_best_stream(format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (stream == AVERROR_STREAM_NOT_FOUND) return RA_E_NO_AUDIO_STREAM;
    if (stream < 0 || decoder == nullptr) return RA_E_DECODE;
    codec.reset(avcodec_alloc_context3(decoder));
    if (!codec) return RA_E_OUT_OF_MEMORY;
    if (avcodec_parameters_to_context(codec.get(), Audio().codecpar) < 0 ||
        avcodec_open2(codec.get(), decoder, nullptr) < 0) {
      return RA_E_DECODE;
    }
    return RA_OK;
  }

  const AVStream& Audio() const { return *format->streams[stream]; }

  // The length the file declares, in seconds; 0 when it declares none. A length FFmpeg guessed
  // from the bit rate in the header is no declaration: the old ".ra\xfd" header's rate field is
  // often far off (a one-second clip read as 34 seconds).
  double DeclaredSeconds() const {
    if (format->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE) return 0;
    const AVStream& audio = Audio();
    if (audio.duration != AV_NOPTS_VALUE && audio.duration > 0 && audio.time_base.den > 0) {
      return av_q2d(audio.time_base) * static_cast<double>(audio.duration);
    }
    if (format->duration != AV_NOPTS_VALUE && format->duration > 0) {
      return static_cast<double>(format->duration) / AV_TIME_BASE;
    }
    return 0;
  }

  // Takes every frame one packet (null: end of stream) gives. Damage in a packet is skipped.
  void DecodePacket(const AVPacket* sent) {
    if (avcodec_send_packet(codec.get(), sent) < 0 && sent != nullptr) return;
    while (error == RA_OK && avcodec_receive_frame(codec.get(), frame.get()) >= 0) {
      MeasureSeek(*frame);
      const std::size_t before = pending.size();
      error = converter.Add(*frame, pending);
      av_frame_unref(frame.get());
      Skip(before);
    }
  }

  // After a seek the decoder restarts at a point before the frame asked for: the first frame's
  // timestamp tells how much to drop.
  void MeasureSeek(const AVFrame& decoded) {
    if (seekTarget < 0) return;
    const std::int64_t pts = decoded.best_effort_timestamp;
    if (pts != AV_NOPTS_VALUE && converter.rate > 0) {
      const std::int64_t start = Audio().start_time != AV_NOPTS_VALUE ? Audio().start_time : 0;
      const std::int64_t at = av_rescale_q(pts - start, Audio().time_base, {1, converter.rate});
      skipFrames = std::max<std::int64_t>(seekTarget - at, 0);
    }
    seekTarget = -1;
  }

  // Drops frames still to be skipped from what was appended after `from`.
  void Skip(std::size_t from) {
    if (skipFrames <= 0 || converter.channels == 0) return;
    const auto channels = static_cast<std::size_t>(converter.channels);
    const std::size_t made = (pending.size() - from) / channels;
    const std::size_t dropped = std::min(made, static_cast<std::size_t>(skipFrames));
    pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(from),
                  pending.begin() + static_cast<std::ptrdiff_t>(from + dropped * channels));
    skipFrames -= static_cast<std::int64_t>(dropped);
  }

  // Decodes until samples are waiting; false once the clip has ended. A read error other than
  // the end of the file is damage: what came before it still plays.
  bool Refill() {
    if (pendingAt >= pending.size()) {
      pending.clear();
      pendingAt = 0;
    }
    while (pending.empty() && !ended) {
      if (error != RA_OK) {
        ended = true;
      } else if (av_read_frame(format.get(), packet.get()) >= 0) {
        if (packet->stream_index == stream) DecodePacket(packet.get());
        av_packet_unref(packet.get());
      } else {
        // The last frames come out of the decoder and the converter only when asked to flush.
        DecodePacket(nullptr);
        if (error == RA_OK) {
          const std::size_t before = pending.size();
          error = converter.Flush(pending);
          Skip(before);
        }
        ended = true;
      }
    }
    return !pending.empty();
  }

  // Restarts from the first frame, dropping `frames` frames.
  bool Restart(std::int64_t frames) {
    if (OpenInput() != RA_OK) return false;
    skipFrames = frames;
    seekTarget = -1;
    return true;
  }
};

namespace {

// The frames a clip decodes to, at `rate`. When the codec tells every packet's length from its
// size (RealAudio's do), only the packets are read, which is several times quicker than decoding;
// otherwise the clip is decoded whole without keeping the samples.
std::int64_t CountFrames(const char* path, int rate) {
  ClipStream::Decoder counter;
  counter.path = path;
  if (counter.OpenInput() != RA_OK) return 0;
  AVCodecParameters& codec = *counter.format->streams[counter.stream]->codecpar;
  std::int64_t samples = 0;
  bool sized = codec.sample_rate > 0;
  while (sized && av_read_frame(counter.format.get(), counter.packet.get()) >= 0) {
    if (counter.packet->stream_index == counter.stream) {
      const int length = av_get_audio_frame_duration2(&codec, counter.packet->size);
      samples += length;
      sized = length > 0;
    }
    av_packet_unref(counter.packet.get());
  }
  if (sized) return av_rescale(samples, rate, codec.sample_rate);
  if (counter.OpenInput() != RA_OK) return 0;
  std::int64_t frames = 0;
  while (counter.Refill()) {
    frames += static_cast<std::int64_t>(counter.pending.size() - counter.pendingAt) /
              counter.converter.channels;
    counter.pendingAt = counter.pending.size();
  }
  return frames;
}

}  // namespace

ClipStream::ClipStream(std::unique_ptr<Decoder> decoder) : decoder_(std::move(decoder)) {}
ClipStream::~ClipStream() = default;

std::unique_ptr<ClipStream> ClipStream::Open(const char* path, LONG& error) {
  error = RA_OK;
  if (path == nullptr || *path == '\0') {
    error = RA_E_FILE_OPEN;
    return nullptr;
  }
  // FFmpeg's own messages would only reach a terminal nobody watches.
  av_log_set_level(AV_LOG_QUIET);
  // Tell a file that cannot be read from one that is not a clip.
  if (std::FILE* file = std::fopen(path, "rb")) {
    std::fclose(file);
  } else {
    error = RA_E_FILE_OPEN;
    return nullptr;
  }
  auto decoder = std::make_unique<Decoder>();
  decoder->path = path;
  if (error = decoder->OpenInput(); error != RA_OK) return nullptr;
  if (!decoder->Refill()) {
    // Only a clip with no sound at all is a decoding failure.
    error = decoder->error != RA_OK ? decoder->error : RA_E_DECODE;
    return nullptr;
  }
  const double declared = decoder->DeclaredSeconds();
  Converter& converter = decoder->converter;
  if (declared > 0) {
    decoder->length = std::llround(declared * converter.rate);
  } else {
    // Nothing declared (RealMedia's header says 0): a counting pass, in constant memory.
    decoder->length = CountFrames(path, converter.rate);
  }
  return std::unique_ptr<ClipStream>(new ClipStream(std::move(decoder)));
}

int ClipStream::Rate() const {
  return decoder_->converter.rate;
}
int ClipStream::Channels() const {
  return decoder_->converter.channels;
}
std::int64_t ClipStream::LengthFrames() const {
  return decoder_->length;
}

std::size_t ClipStream::Read(std::int16_t* out, std::size_t count) {
  Decoder& decoder = *decoder_;
  const auto channels = static_cast<std::size_t>(decoder.converter.channels);
  count -= count % channels;
  std::size_t copied = 0;
  while (copied < count && decoder.Refill()) {
    const std::size_t taken = std::min(count - copied, decoder.pending.size() - decoder.pendingAt);
    std::copy_n(decoder.pending.begin() + static_cast<std::ptrdiff_t>(decoder.pendingAt), taken,
                out + copied);
    decoder.pendingAt += taken;
    copied += taken;
  }
  return copied;
}

std::int64_t ClipStream::SeekTo(std::int64_t frame) {
  Decoder& decoder = *decoder_;
  const std::int64_t target = std::clamp<std::int64_t>(frame, 0, decoder.length);
  const int rate = decoder.converter.rate;
  bool sought = false;
  if (target >= static_cast<std::int64_t>(kDecodeSeekSeconds) * rate) {
    const AVStream& audio = decoder.Audio();
    const std::int64_t start = audio.start_time != AV_NOPTS_VALUE ? audio.start_time : 0;
    const std::int64_t stamp = start + av_rescale_q(target, {1, rate}, audio.time_base);
    if (av_seek_frame(decoder.format.get(), decoder.stream, stamp, AVSEEK_FLAG_BACKWARD) >= 0) {
      avcodec_flush_buffers(decoder.codec.get());
      decoder.converter.Reset();
      decoder.pending.clear();
      decoder.pendingAt = 0;
      decoder.ended = false;
      decoder.error = RA_OK;
      decoder.skipFrames = 0;
      decoder.seekTarget = target;
      sought = true;
    }
  }
  if (!sought && !decoder.Restart(target)) decoder.ended = true;
  return target;
}

DecodedClip DecodeClip(const char* path, int maxSeconds) {
  DecodedClip clip;
  const std::unique_ptr<ClipStream> stream = ClipStream::Open(path, clip.error);
  if (!stream) return clip;
  const auto limit = static_cast<std::size_t>(maxSeconds) *
                     static_cast<std::size_t>(stream->Rate()) *
                     static_cast<std::size_t>(stream->Channels());
  if (static_cast<std::size_t>(stream->LengthFrames()) *
          static_cast<std::size_t>(stream->Channels()) >
      limit +
          static_cast<std::size_t>(stream->Rate()) * static_cast<std::size_t>(stream->Channels())) {
    clip.error = RA_E_CLIP_TOO_LONG;
    return clip;
  }
  constexpr std::size_t kPiece = 1 << 14;
  for (;;) {
    const std::size_t used = clip.samples.size();
    clip.samples.resize(used + kPiece);
    const std::size_t got = stream->Read(clip.samples.data() + used, kPiece);
    clip.samples.resize(used + got);
    if (got == 0) break;
    if (clip.samples.size() > limit) {
      clip.samples.clear();
      clip.error = RA_E_CLIP_TOO_LONG;
      return clip;
    }
  }
  clip.rate = stream->Rate();
  clip.channels = stream->Channels();
  clip.samples.shrink_to_fit();
  return clip;
}

}  // namespace raengine
