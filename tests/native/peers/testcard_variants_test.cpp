// The live variants of the test card as a client takes them apart: their descriptions against
// hand-written GUIDs and FourCCs, the Motion-JPEG pictures through libjpeg-turbo's decoder.
#include <turbojpeg.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "peers/server/source_catalog.h"
#include "peers/server/testcard_signal.h"
#include "peers/server/timeshift_source.h"
#include "protocol/format_blocks.h"
#include "protocol/media_type_guids.h"

namespace zms {
namespace {

namespace zp = zm::protocol;

std::unique_ptr<MediaSource> Open(const char* alias) {
  MediaRequest request{.kind = ResourceKind::LiveAlias, .name = alias};
  return ResolveRequest(request).source;
}

TEST(TestcardVariants, DescriptionsAndFirstFramesSayWhatEachVariantCarries) {
  const struct {
    const char *alias, *videoSubtype, *audioSubtype;  // null: the test card's own record
    uint32_t compression;
  } cases[] = {
      {"mjpeg", "{47504A4D-0000-0010-8000-00AA00389B71}", nullptr, 0x47504A4D},
      {"undecodable", "{34363248-0000-0010-8000-00AA00389B71}", nullptr, 0x34363248},
      {"undecodable-audio", nullptr, "{00000055-0000-0010-8000-00AA00389B71}", 0},
  };
  const zp::StreamFormatPair testcard = TestcardFormats();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.alias);
    std::unique_ptr<MediaSource> source = Open(c.alias);
    ASSERT_TRUE(source && source->IsLive());
    const zp::StreamFormatPair formats = source->Formats();
    const zp::StreamFormat &video = formats[zp::kVideoFormatIndex], &audio = formats[zp::kAudioFormatIndex];
    const zp::MediaFrame picture = source->NextFrame().value(), sound = source->NextFrame().value();
    if (!c.videoSubtype) EXPECT_EQ(testcard[zp::kVideoFormatIndex], video);
    if (!c.videoSubtype) EXPECT_EQ(DrawTestcardPicture(0), picture.payload);
    if (!c.audioSubtype) EXPECT_EQ(testcard[zp::kAudioFormatIndex], audio);
    if (!c.audioSubtype) EXPECT_EQ(MakeTestcardTone(0), sound.payload);
    if (c.videoSubtype) {
      EXPECT_EQ(c.videoSubtype, zp::GuidToString(video.type.subType));
      EXPECT_EQ((zp::MediaType{zp::MEDIATYPE_Video, video.type.subType, 0, 0, 0, zp::FORMAT_VideoInfo}), video.type);
      const auto info = zp::DecodeVideoInfoHeader(video.formatBlock);
      ASSERT_TRUE(info.ok());
      const zp::BitmapInfoHeader& b = info.value().bitmap;
      EXPECT_EQ(
          std::make_tuple(320, 240, uint16_t{24}, c.compression, 0u, int64_t{400000}),
          std::make_tuple(b.width, b.height, b.bitCount, b.compression, b.sizeImage, info.value().avgTimePerFrame));
      // The announced bit rate is of the order of the frames sent (not bytes for bits).
      EXPECT_NEAR(1.0, info.value().bitRate / (8.0 * picture.payload.size() * kTestcardFps), 0.5);
    } else {
      EXPECT_EQ(c.audioSubtype, zp::GuidToString(audio.type.subType));
      const auto wave = zp::DecodeWaveFormatEx(audio.formatBlock);
      ASSERT_TRUE(wave.ok());
      EXPECT_EQ(std::make_tuple(uint16_t{0x55}, uint16_t{2}, 44100u),
                std::make_tuple(wave.value().formatTag, wave.value().channels, wave.value().samplesPerSec));
      EXPECT_EQ(std::vector<uint8_t>(wave.value().avgBytesPerSec / kTestcardFps, 0), sound.payload);
    }
  }
}

// The white block is at the left edge in picture 0 and forty pixels on in picture 10: (24, 40)
// and (60, 40) tell them apart. The other points lie well inside a colour bar and its chroma
// blocks, where JPEG stays within a few steps of the original.
TEST(TestcardVariants, MjpegPicturesDecodeToTheTestCardOfTheSameNumber) {
  constexpr int kPoints[][2] = {{20, 100},  {60, 100},  {100, 100}, {140, 100}, {180, 100},
                                {220, 100}, {260, 100}, {300, 230}, {24, 40},   {60, 40}};
  std::unique_ptr<MediaSource> source = Open("mjpeg");
  tjhandle decoder = tjInitDecompress();
  for (int64_t picture = 0; picture <= 10; ++picture) {
    const std::vector<uint8_t> jpeg = source->NextFrame().value().payload;
    source->NextFrame();
    if (picture % 10 != 0) continue;
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    ASSERT_EQ(0, tjDecompressHeader3(decoder, jpeg.data(), jpeg.size(), &width, &height, &subsampling, &colourspace));
    ASSERT_EQ(std::make_pair(320, 240), std::make_pair(width, height));
    std::vector<uint8_t> decoded(320 * 240 * 4);
    ASSERT_EQ(
        0, tjDecompress2(decoder, jpeg.data(), jpeg.size(), decoded.data(), 320, 0, 240, TJPF_BGRX, TJFLAG_BOTTOMUP));
    const std::vector<uint8_t> expected = DrawTestcardPicture(picture);
    for (const auto& [x, y] : kPoints) {
      const size_t at = (static_cast<size_t>(239 - y) * 320 + x) * 4;
      for (size_t c = 0; c < 3; ++c)
        EXPECT_LE(std::abs(decoded[at + c] - expected[at + c]), 16) << picture << ": " << x << "," << y;
    }
  }
  tjDestroy(decoder);
}

// The audio-only card is played by the Wine test AnAudioOnlyStreamOffersNoPictureCommands...
TEST(TestcardVariants, AnEndingBroadcastEndsInItsWindow) {
  // A second of live, then one second behind it: flags bit 0 says live cannot be resumed, and
  // the recording ends a second after the broadcast, with an empty video and audio frame.
  for (const bool ends : {false, true}) {
    std::unique_ptr<MediaSource> source = Open(ends ? "timeshift-ending" : "timeshift");
    for (int i = 0; i < 2 * kTestcardFps; ++i) source->NextFrame();
    ASSERT_TRUE(source->Seek(1));
    const zp::MediaFrame change = source->NextFrame().value();
    ASSERT_TRUE(zp::IsStreamChangeFrame(change.header));
    EXPECT_EQ(change.header.flags & 1, ends ? 1 : 0);
    if (!ends) continue;
    int frames = 0;
    std::optional<zp::MediaFrame> frame;
    while ((frame = source->NextFrame()) && frame->header.length > 0) ++frames;
    EXPECT_EQ(frames, 2 * TimeShiftTestcardSource::kEndingBroadcastSeconds * kTestcardFps);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->header.streamType, zp::kStreamTypeVideo);
    frame = source->NextFrame();
    ASSERT_TRUE(frame);
    EXPECT_EQ(std::make_pair(frame->header.streamType, frame->header.length), std::make_pair(zp::kStreamTypeAudio, 0u));
    EXPECT_FALSE(source->NextFrame());
  }
}

}  // namespace
}  // namespace zms
