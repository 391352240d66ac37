// The live variants of the test card as a client takes them apart: their descriptions through the
// wire decoders, against hand-written GUIDs and FourCCs, and the Motion-JPEG pictures through
// libjpeg-turbo's decoder, against the RGB32 test card's picture of the same number.
#include <turbojpeg.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "peers/server/source_catalog.h"
#include "peers/server/testcard_signal.h"
#include "protocol/format_blocks.h"
#include "protocol/media_type_guids.h"

namespace zms {
namespace {

namespace zp = zm::protocol;

std::unique_ptr<MediaSource> Open(const char* alias) {
  MediaRequest request;
  request.kind = ResourceKind::LiveAlias;
  request.name = alias;
  Resolution r = ResolveRequest(request);
  EXPECT_TRUE(r.source && r.source->IsLive()) << alias;
  return std::move(r.source);
}

// Frames until picture `picture`'s video and audio, which it returns.
std::pair<zp::MediaFrame, zp::MediaFrame> PictureFrames(MediaSource& source, int64_t picture) {
  for (;;) {
    std::optional<zp::MediaFrame> video = source.NextFrame(), audio = source.NextFrame();
    if (!video || !audio) {
      ADD_FAILURE() << "stream ended before picture " << picture;
      return {};
    }
    if (video->header.time == picture * kTestcardFrameTime) return {std::move(*video), std::move(*audio)};
  }
}

TEST(TestcardVariants, DescriptionsSayWhatEachVariantCarries) {
  struct Case {
    const char* alias;
    const char* videoSubtype;
    uint32_t compression, fixedSizeSamples, sampleSize;
    uint16_t bitCount;
    const char* audioSubtype;
    uint16_t formatTag;
  };
  const Case cases[] = {
      {"mjpeg", "{47504A4D-0000-0010-8000-00AA00389B71}", 0x47504A4D, 0, 0, 24,
       "{00000001-0000-0010-8000-00AA00389B71}", 1},
      {"undecodable", "{34363248-0000-0010-8000-00AA00389B71}", 0x34363248, 0, 0, 24,
       "{00000001-0000-0010-8000-00AA00389B71}", 1},
      {"undecodable-audio", "{E436EB7E-524F-11CE-9F53-0020AF0BA770}", 0, 1, 320 * 240 * 4, 32,
       "{00000055-0000-0010-8000-00AA00389B71}", 0x55},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.alias);
    const zp::StreamFormatPair formats = Open(c.alias)->Formats();
    const zp::StreamFormat &video = formats[zp::kVideoFormatIndex], &audio = formats[zp::kAudioFormatIndex];
    EXPECT_EQ(zp::MEDIATYPE_Video, video.type.majorType);
    EXPECT_EQ(c.videoSubtype, zp::GuidToString(video.type.subType));
    EXPECT_EQ(zp::FORMAT_VideoInfo, video.type.formatType);
    EXPECT_EQ(c.fixedSizeSamples, video.type.fixedSizeSamples);
    EXPECT_EQ(0u, video.type.temporalCompression);
    EXPECT_EQ(c.sampleSize, video.type.sampleSize);
    const auto info = zp::DecodeVideoInfoHeader(video.formatBlock);
    ASSERT_TRUE(info.ok());
    EXPECT_EQ(c.compression, info.value().bitmap.compression);
    EXPECT_EQ(c.bitCount, info.value().bitmap.bitCount);
    EXPECT_EQ(320, info.value().bitmap.width);
    EXPECT_EQ(240, info.value().bitmap.height);
    EXPECT_EQ(400000, info.value().avgTimePerFrame);
    EXPECT_NE(0u, info.value().bitRate);
    // A compressed frame has no fixed size.
    if (c.compression != 0) EXPECT_EQ(0u, info.value().bitmap.sizeImage);

    EXPECT_EQ(c.audioSubtype, zp::GuidToString(audio.type.subType));
    const auto wave = zp::DecodeWaveFormatEx(audio.formatBlock);
    ASSERT_TRUE(wave.ok());
    EXPECT_EQ(c.formatTag, wave.value().formatTag);
    EXPECT_EQ(2, wave.value().channels);
    EXPECT_EQ(44100u, wave.value().samplesPerSec);
    if (c.formatTag == 1) EXPECT_EQ(TestcardFormats()[zp::kAudioFormatIndex], audio);
  }
}

// Picture 0 has the white block at the left edge, picture 10 forty pixels on: the points at
// (24, 40) and (60, 40) tell them apart. The rest are colour bars, well inside a bar and its
// chroma blocks, so JPEG keeps each within a few steps of the original.
TEST(TestcardVariants, MjpegPicturesDecodeToTheTestCardOfTheSameNumber) {
  constexpr int kTolerance = 16;
  constexpr int kPoints[][2] = {{20, 100},  {60, 100},  {100, 100}, {140, 100}, {180, 100},
                                {220, 100}, {260, 100}, {300, 230}, {24, 40},   {60, 40}};
  std::unique_ptr<MediaSource> source = Open("mjpeg");
  const auto info = zp::DecodeVideoInfoHeader(source->Formats()[zp::kVideoFormatIndex].formatBlock);
  ASSERT_TRUE(info.ok());
  tjhandle decoder = tjInitDecompress();
  ASSERT_NE(nullptr, decoder);
  for (int64_t picture : {0, 10}) {
    SCOPED_TRACE(picture);
    const auto [video, audio] = PictureFrames(*source, picture);
    EXPECT_EQ(1, video.header.keyFrame);
    EXPECT_EQ(zp::kStreamTypeVideo, video.header.streamType);
    EXPECT_EQ(MakeTestcardTone(picture), audio.payload);
    // The announced bit rate is of the order of the pictures sent (not bytes for bits).
    const double bitsPerSecond = 8.0 * video.payload.size() * kTestcardFps;
    EXPECT_NEAR(1.0, info.value().bitRate / bitsPerSecond, 0.5);

    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    ASSERT_EQ(0, tjDecompressHeader3(decoder, video.payload.data(), video.payload.size(), &width, &height, &subsampling,
                                     &colourspace))
        << tjGetErrorStr2(decoder);
    ASSERT_EQ(320, width);
    ASSERT_EQ(240, height);
    std::vector<uint8_t> decoded(320 * 240 * 4);
    ASSERT_EQ(0, tjDecompress2(decoder, video.payload.data(), video.payload.size(), decoded.data(), width, 0, height,
                               TJPF_BGRX, TJFLAG_BOTTOMUP));
    const std::vector<uint8_t> expected = DrawTestcardPicture(picture);
    for (const auto& [x, y] : kPoints) {
      const size_t at = (static_cast<size_t>(239 - y) * 320 + x) * 4;
      for (size_t c = 0; c < 3; ++c) {
        EXPECT_LE(std::abs(decoded[at + c] - expected[at + c]), kTolerance)
            << "(" << x << ", " << y << ") channel " << c;
      }
    }
  }
  tjDestroy(decoder);
}

TEST(TestcardVariants, UndecodableStreamsCarryTheirStandInBytesBesideTheTestCard) {
  std::unique_ptr<MediaSource> video = Open("undecodable");
  const auto [pattern, tone] = PictureFrames(*video, 0);
  ASSERT_FALSE(pattern.payload.empty());
  // Without a start code no decoder can take a single NAL unit from it.
  const uint8_t startCode[] = {0, 0, 1};
  EXPECT_EQ(pattern.payload.end(),
            std::search(pattern.payload.begin(), pattern.payload.end(), startCode, startCode + 3));
  EXPECT_EQ(MakeTestcardTone(0), tone.payload);

  std::unique_ptr<MediaSource> audio = Open("undecodable-audio");
  const auto wave = zp::DecodeWaveFormatEx(audio->Formats()[zp::kAudioFormatIndex].formatBlock);
  ASSERT_TRUE(wave.ok());
  const auto [picture, silence] = PictureFrames(*audio, 1);
  EXPECT_EQ(DrawTestcardPicture(1), picture.payload);
  EXPECT_EQ(std::vector<uint8_t>(wave.value().avgBytesPerSec / kTestcardFps, 0), silence.payload);
  EXPECT_EQ(1, silence.header.keyFrame);
}

}  // namespace
}  // namespace zms
