#include "peers/server/testcard_variants.h"

#include "peers/server/server_log.h"
#include "peers/server/testcard_signal.h"
#include "protocol/format_blocks.h"
#include "protocol/media_type_guids.h"

namespace zms {
namespace {

namespace zp = zm::protocol;

// A compressed 320x240 picture in a VIDEOINFOHEADER: the size of a frame varies, so the image
// size and the sample size are 0.
zp::StreamFormat CompressedVideo(const zp::Guid& subtype, uint32_t fourcc, uint32_t bytesPerFrame) {
  zp::VideoInfoHeader video;
  video.source = {0, 0, kTestcardWidth, kTestcardHeight};
  video.target = video.source;
  video.bitRate = bytesPerFrame * 8 * kTestcardFps;
  video.avgTimePerFrame = kTestcardFrameTime;
  video.bitmap.width = kTestcardWidth;
  video.bitmap.height = kTestcardHeight;
  video.bitmap.bitCount = 24;
  video.bitmap.compression = fourcc;
  zp::StreamFormat format;
  format.type = {zp::MEDIATYPE_Video, subtype, 0, 0, 0, zp::FORMAT_VideoInfo};
  format.formatBlock = zp::EncodeVideoInfoHeader(video);
  return format;
}

}  // namespace

MjpegPictures::MjpegPictures() : formats_(TestcardFormats()) {
  // The bit rate the description announces is that of the first picture.
  const size_t firstPicture = Encode(0).size();
  formats_[zp::kVideoFormatIndex] =
      CompressedVideo(zp::MEDIASUBTYPE_MJPG, zp::kFourCCMjpg, static_cast<uint32_t>(firstPicture));
}

std::vector<uint8_t> MjpegPictures::Encode(int64_t picture) {
  std::vector<uint8_t> jpeg = encoder_.Encode(DrawTestcardPicture(picture), kTestcardWidth, kTestcardHeight, kQuality);
  if (jpeg.empty())
    LogLine("mjpeg: picture %lld not encoded: %s", static_cast<long long>(picture), encoder_.error().c_str());
  return jpeg;
}

zp::StreamFormatPair UndecodableVideoSource::Formats() const {
  zp::StreamFormatPair formats = TestcardFormats();
  formats[zp::kVideoFormatIndex] = CompressedVideo(zp::MEDIASUBTYPE_H264, zp::kFourCCH264, kPayloadBytes);
  return formats;
}

std::vector<uint8_t> UndecodableVideoSource::Payload(int64_t picture, bool video) {
  return video ? std::vector<uint8_t>(kPayloadBytes, kPatternByte) : LiveTestcardSource::Payload(picture, video);
}

zp::StreamFormatPair UndecodableAudioSource::Formats() const {
  zp::StreamFormatPair formats = TestcardFormats();
  zp::WaveFormatEx wave;
  wave.formatTag = zp::kWaveFormatMpegLayer3;
  wave.channels = kTestcardChannels;
  wave.samplesPerSec = kTestcardSampleRate;
  wave.avgBytesPerSec = kBytesPerSecond;
  wave.blockAlign = 1;
  zp::StreamFormat& audio = formats[zp::kAudioFormatIndex];
  audio.type = {zp::MEDIATYPE_Audio, zp::MEDIASUBTYPE_MP3, 1, 0, wave.blockAlign, zp::FORMAT_WaveFormatEx};
  audio.formatBlock = zp::EncodeWaveFormatEx(wave);
  return formats;
}

std::vector<uint8_t> UndecodableAudioSource::Payload(int64_t picture, bool video) {
  return video ? LiveTestcardSource::Payload(picture, video) : std::vector<uint8_t>(kBytesPerSecond / kTestcardFps, 0);
}

zp::StreamFormatPair AudioOnlyTestcardSource::Formats() const {
  zp::StreamFormatPair formats = TestcardFormats();
  formats[zp::kVideoFormatIndex] = {};
  return formats;
}

std::optional<zp::MediaFrame> AudioOnlyTestcardSource::NextFrame() {
  std::optional<zp::MediaFrame> frame = LiveTestcardSource::NextFrame();
  while (frame && frame->header.streamType == zp::kStreamTypeVideo) frame = LiveTestcardSource::NextFrame();
  return frame;
}

// The pictures are skipped: a stand-in byte saves drawing them.
std::vector<uint8_t> AudioOnlyTestcardSource::Payload(int64_t picture, bool video) {
  return video ? std::vector<uint8_t>(1, 0) : LiveTestcardSource::Payload(picture, video);
}

}  // namespace zms
