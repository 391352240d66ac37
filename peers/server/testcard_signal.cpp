#include "peers/server/testcard_signal.h"

#include <cmath>
#include <cstdio>

#include "peers/server/bitmap_font.h"
#include "protocol/format_blocks.h"
#include "protocol/media_type_guids.h"

namespace zms {
namespace {

namespace zp = zm::protocol;

constexpr int kBytesPerPixel = 4;
constexpr int kImageBytes = kTestcardWidth * kTestcardHeight * kBytesPerPixel;
constexpr int kBlockSize = 40;
constexpr int kGlyphScale = 4;

struct Rgb {
  uint8_t r, g, b;
};

class Picture {
 public:
  Picture() : pixels_(kImageBytes, 0) {}

  // (x, y) from the top left; rows are stored bottom-up.
  void Set(int x, int y, Rgb c) {
    if (x < 0 || y < 0 || x >= kTestcardWidth || y >= kTestcardHeight) return;
    size_t at = (static_cast<size_t>(kTestcardHeight - 1 - y) * kTestcardWidth + x) * kBytesPerPixel;
    pixels_[at] = c.b;
    pixels_[at + 1] = c.g;
    pixels_[at + 2] = c.r;
    pixels_[at + 3] = 0;
  }
  void Fill(int x0, int y0, int w, int h, Rgb c) {
    for (int y = y0; y < y0 + h; ++y)
      for (int x = x0; x < x0 + w; ++x) Set(x, y, c);
  }
  void Text(int x0, int y0, const char* text, Rgb c) {
    for (int i = 0; text[i]; ++i) {
      const uint8_t* rows = GlyphRows(text[i]);
      for (int row = 0; row < kGlyphHeight; ++row)
        for (int col = 0; col < kGlyphWidth; ++col)
          if (rows[row] & (0x10 >> col))
            Fill(x0 + (i * (kGlyphWidth + 1) + col) * kGlyphScale, y0 + row * kGlyphScale, kGlyphScale, kGlyphScale, c);
    }
  }
  std::vector<uint8_t> Take() { return std::move(pixels_); }

 private:
  std::vector<uint8_t> pixels_;
};

constexpr Rgb kBars[] = {{192, 192, 192}, {192, 192, 0}, {0, 192, 192}, {0, 192, 0},
                         {192, 0, 192},   {192, 0, 0},   {0, 0, 192},   {16, 16, 16}};

}  // namespace

zp::StreamFormatPair TestcardFormats() {
  zp::StreamFormatPair formats;

  zp::VideoInfoHeader video;
  video.source = {0, 0, kTestcardWidth, kTestcardHeight};
  video.target = video.source;
  video.bitRate = static_cast<uint32_t>(kImageBytes) * 8 * kTestcardFps;
  video.avgTimePerFrame = kTestcardFrameTime;
  video.bitmap.width = kTestcardWidth;
  video.bitmap.height = kTestcardHeight;
  video.bitmap.bitCount = 32;
  video.bitmap.sizeImage = kImageBytes;
  zp::StreamFormat& v = formats[zp::kVideoFormatIndex];
  v.type = {zp::MEDIATYPE_Video, zp::MEDIASUBTYPE_RGB32, 1, 0, kImageBytes, zp::FORMAT_VideoInfo};
  v.formatBlock = zp::EncodeVideoInfoHeader(video);

  zp::WaveFormatEx wave;
  wave.channels = kTestcardChannels;
  wave.samplesPerSec = kTestcardSampleRate;
  wave.bitsPerSample = 16;
  wave.blockAlign = kTestcardChannels * 2;
  wave.avgBytesPerSec = kTestcardSampleRate * wave.blockAlign;
  zp::StreamFormat& a = formats[zp::kAudioFormatIndex];
  a.type = {zp::MEDIATYPE_Audio, zp::MEDIASUBTYPE_PCM, 1, 0, wave.blockAlign, zp::FORMAT_WaveFormatEx};
  a.formatBlock = zp::EncodeWaveFormatEx(wave);
  return formats;
}

std::vector<uint8_t> DrawTestcardPicture(int64_t index) {
  Picture picture;
  const int barWidth = kTestcardWidth / 8;
  for (int i = 0; i < 8; ++i) picture.Fill(i * barWidth, 0, barWidth, kTestcardHeight, kBars[i]);

  // A white block crossing the picture, back and forth, 4 pixels a frame.
  const int travel = kTestcardWidth - kBlockSize;
  int step = static_cast<int>((index * 4) % (2 * travel));
  int x = step < travel ? step : 2 * travel - step;
  picture.Fill(x, 20, kBlockSize, kBlockSize, {255, 255, 255});

  char clock[16];
  const int64_t seconds = index / kTestcardFps;
  std::snprintf(clock, sizeof clock, "%02d:%02d.%02d", static_cast<int>((seconds / 60) % 100),
                static_cast<int>(seconds % 60), static_cast<int>(index % kTestcardFps));
  const int textWidth = 8 * (kGlyphWidth + 1) * kGlyphScale;
  const int textX = (kTestcardWidth - textWidth) / 2;
  const int textY = 150;
  picture.Fill(textX - 8, textY - 8, textWidth + 12, kGlyphHeight * kGlyphScale + 16, {0, 0, 0});
  picture.Text(textX, textY, clock, {255, 255, 255});
  return picture.Take();
}

std::vector<uint8_t> MakeTestcardTone(int64_t index) {
  std::vector<uint8_t> samples(static_cast<size_t>(kTestcardSamplesPerFrame) * kTestcardChannels * 2);
  const int64_t first = index * kTestcardSamplesPerFrame;
  size_t at = 0;
  for (int i = 0; i < kTestcardSamplesPerFrame; ++i) {
    // The phase comes from the absolute sample number, so frames join without clicks.
    const int64_t n = (first + i) % kTestcardSampleRate;
    const double phase = 2.0 * M_PI * kToneHz * static_cast<double>(n) / kTestcardSampleRate;
    const auto value = static_cast<int16_t>(std::lround(8192.0 * std::sin(phase)));
    for (int c = 0; c < kTestcardChannels; ++c) {
      samples[at++] = static_cast<uint8_t>(value & 0xFF);
      samples[at++] = static_cast<uint8_t>((static_cast<uint16_t>(value) >> 8) & 0xFF);
    }
  }
  return samples;
}

}  // namespace zms
