#include "libs/raengine/clip_decoder.h"

#include <cstdio>
#include <memory>
#include <new>

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

// Converts decoded frames, whatever their sample format or layout, to interleaved 16-bit
// samples, rebuilding the converter if a stream changes format midway (RealMedia may).
class Converter {
 public:
  explicit Converter(DecodedClip& clip, int maxSeconds) : clip_(clip), maxSeconds_(maxSeconds) {}
  ~Converter() { av_channel_layout_uninit(&inLayout_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // False when the clip has become too long or memory ran out (clip_.error says which).
  bool Add(const AVFrame& frame) {
    if (!Matches(frame) && !Rebuild(frame)) return false;
    return Convert(frame.extended_data, frame.nb_samples);
  }

  bool Flush() { return !resampler_ || Convert(nullptr, 0); }

 private:
  bool Matches(const AVFrame& frame) const {
    return resampler_ && frame.format == inFormat_ && frame.sample_rate == inRate_ &&
           av_channel_layout_compare(&frame.ch_layout, &inLayout_) == 0;
  }

  bool Rebuild(const AVFrame& frame) {
    if (resampler_ && !Flush()) return false;
    resampler_.reset();
    av_channel_layout_uninit(&inLayout_);
    if (av_channel_layout_copy(&inLayout_, &frame.ch_layout) < 0) return Fail(RA_E_OUT_OF_MEMORY);
    inFormat_ = frame.format;
    inRate_ = frame.sample_rate;
    if (clip_.rate == 0) {
      // The first frame fixes the clip's format: a later frame at another rate is resampled to it.
      clip_.rate = frame.sample_rate;
      clip_.channels = frame.ch_layout.nb_channels >= 2 ? 2 : 1;
    }
    if (inRate_ <= 0 || inLayout_.nb_channels <= 0) return Fail(RA_E_DECODE);
    AVChannelLayout outLayout{};
    av_channel_layout_default(&outLayout, clip_.channels);
    SwrContext* raw = nullptr;
    const int status =
        swr_alloc_set_opts2(&raw, &outLayout, AV_SAMPLE_FMT_S16, clip_.rate, &inLayout_,
                            static_cast<AVSampleFormat>(inFormat_), inRate_, 0, nullptr);
    av_channel_layout_uninit(&outLayout);
    resampler_.reset(raw);
    if (status < 0 || swr_init(resampler_.get()) < 0) {
      resampler_.reset();
      return Fail(RA_E_DECODE);
    }
    return true;
  }

  bool Convert(uint8_t* const* input, int count) {
    const int room = swr_get_out_samples(resampler_.get(), count);
    if (room < 0) return Fail(RA_E_DECODE);
    if (room == 0) return true;
    const std::size_t limit = static_cast<std::size_t>(maxSeconds_) *
                              static_cast<std::size_t>(clip_.rate) *
                              static_cast<std::size_t>(clip_.channels);
    const std::size_t used = clip_.samples.size();
    const std::size_t wanted = static_cast<std::size_t>(room) * clip_.channels;
    try {
      clip_.samples.resize(used + wanted);
    } catch (const std::bad_alloc&) {
      return Fail(RA_E_OUT_OF_MEMORY);
    }
    auto* out = reinterpret_cast<uint8_t*>(clip_.samples.data() + used);
    const int made =
        swr_convert(resampler_.get(), &out, room, const_cast<const uint8_t**>(input), count);
    if (made < 0) {
      clip_.samples.resize(used);
      return Fail(RA_E_DECODE);
    }
    clip_.samples.resize(used + static_cast<std::size_t>(made) * clip_.channels);
    // Checked after each frame, so a clip claims at most one frame beyond the limit.
    if (clip_.samples.size() > limit) return Fail(RA_E_CLIP_TOO_LONG);
    return true;
  }

  bool Fail(LONG error) {
    clip_.error = error;
    return false;
  }

  DecodedClip& clip_;
  int maxSeconds_;
  ResamplerPtr resampler_;
  AVChannelLayout inLayout_{};
  int inFormat_ = -1;
  int inRate_ = 0;
};

// Sends one packet (null: end of stream) and takes every frame it gives. Damage in a packet is
// skipped: the clip plays what decodes.
bool DecodePacket(AVCodecContext& codec, const AVPacket* packet, AVFrame& frame,
                  Converter& converter) {
  if (avcodec_send_packet(&codec, packet) < 0 && packet != nullptr) return true;
  for (;;) {
    const int status = avcodec_receive_frame(&codec, &frame);
    if (status == AVERROR(EAGAIN) || status == AVERROR_EOF) return true;
    if (status < 0) return true;
    const bool kept = converter.Add(frame);
    av_frame_unref(&frame);
    if (!kept) return false;
  }
}

DecodedClip Refuse(LONG error) {
  DecodedClip clip;
  clip.error = error;
  return clip;
}

}  // namespace

DecodedClip DecodeClip(const char* path, int maxSeconds) {
  if (path == nullptr || *path == '\0') return Refuse(RA_E_FILE_OPEN);
  // FFmpeg's own messages would only reach a terminal nobody watches.
  av_log_set_level(AV_LOG_QUIET);
  // Tell a file that cannot be read from one that is not a clip.
  if (std::FILE* file = std::fopen(path, "rb")) {
    std::fclose(file);
  } else {
    return Refuse(RA_E_FILE_OPEN);
  }

  AVFormatContext* rawFormat = nullptr;
  if (avformat_open_input(&rawFormat, path, nullptr, nullptr) < 0) return Refuse(RA_E_DECODE);
  FormatPtr format(rawFormat);
  // A truncated file may leave the stream information incomplete; decoding tells the rest.
  avformat_find_stream_info(format.get(), nullptr);

  const AVCodec* decoder = nullptr;
  const int stream = av_find_best_stream(format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
  if (stream == AVERROR_STREAM_NOT_FOUND) return Refuse(RA_E_NO_AUDIO_STREAM);
  if (stream < 0 || decoder == nullptr) return Refuse(RA_E_DECODE);
  const AVStream& audio = *format->streams[stream];
  if (audio.duration != AV_NOPTS_VALUE && audio.time_base.den > 0 &&
      av_q2d(audio.time_base) * static_cast<double>(audio.duration) > maxSeconds + 1.0) {
    return Refuse(RA_E_CLIP_TOO_LONG);
  }

  CodecPtr codec(avcodec_alloc_context3(decoder));
  if (!codec) return Refuse(RA_E_OUT_OF_MEMORY);
  if (avcodec_parameters_to_context(codec.get(), audio.codecpar) < 0 ||
      avcodec_open2(codec.get(), decoder, nullptr) < 0) {
    return Refuse(RA_E_DECODE);
  }
  PacketPtr packet(av_packet_alloc());
  FramePtr frame(av_frame_alloc());
  if (!packet || !frame) return Refuse(RA_E_OUT_OF_MEMORY);

  DecodedClip clip;
  Converter converter(clip, maxSeconds);
  bool going = true;
  // A read error other than the end of the file is damage: what came before it still plays.
  while (going && av_read_frame(format.get(), packet.get()) >= 0) {
    if (packet->stream_index == stream) {
      going = DecodePacket(*codec, packet.get(), *frame, converter);
    }
    av_packet_unref(packet.get());
  }
  // The last frames come out of the decoder and the converter only when asked to flush.
  if (going && DecodePacket(*codec, nullptr, *frame, converter)) converter.Flush();
  if (clip.error != 0) return Refuse(clip.error);
  if (clip.samples.empty()) return Refuse(RA_E_DECODE);
  clip.samples.shrink_to_fit();
  return clip;
}

}  // namespace raengine
