#include "protocol/format_blocks.h"

#include "protocol/wire_field.h"

namespace zm::protocol {
namespace {

constexpr WireField kSourceLeft{0, 4}, kSourceTop{4, 4}, kSourceRight{8, 4}, kSourceBottom{12, 4};
constexpr WireField kTargetLeft{16, 4}, kTargetTop{20, 4}, kTargetRight{24, 4}, kTargetBottom{28, 4};
constexpr WireField kBitRate{32, 4};
constexpr WireField kBitErrorRate{36, 4};
constexpr WireField kAvgTimePerFrame{40, 8};
constexpr WireField kBiSize{48, 4};
constexpr WireField kBiWidth{52, 4};
constexpr WireField kBiHeight{56, 4};
constexpr WireField kBiPlanes{60, 2};
constexpr WireField kBiBitCount{62, 2};
constexpr WireField kBiCompression{64, 4};
constexpr WireField kBiSizeImage{68, 4};
constexpr WireField kBiXPelsPerMeter{72, 4};
constexpr WireField kBiYPelsPerMeter{76, 4};
constexpr WireField kBiClrUsed{80, 4};
constexpr WireField kBiClrImportant{84, 4};
constexpr WireField kVideoFields[] = {
    kSourceLeft,      kSourceTop,       kSourceRight, kSourceBottom,  kTargetLeft,      kTargetTop,
    kTargetRight,     kTargetBottom,    kBitRate,     kBitErrorRate,  kAvgTimePerFrame, kBiSize,
    kBiWidth,         kBiHeight,        kBiPlanes,    kBiBitCount,    kBiCompression,   kBiSizeImage,
    kBiXPelsPerMeter, kBiYPelsPerMeter, kBiClrUsed,   kBiClrImportant};
static_assert(FieldsTile<kVideoInfoHeaderSize>(kVideoFields));
static_assert(kBiSize.offset == kBitmapInfoHeaderOffset);

constexpr WireField kFormatTag{0, 2};
constexpr WireField kChannels{2, 2};
constexpr WireField kSamplesPerSec{4, 4};
constexpr WireField kAvgBytesPerSec{8, 4};
constexpr WireField kBlockAlign{12, 2};
constexpr WireField kBitsPerSample{14, 2};
constexpr WireField kExtraSize{16, 2};
constexpr WireField kWaveFields[] = {kFormatTag,  kChannels,      kSamplesPerSec, kAvgBytesPerSec,
                                     kBlockAlign, kBitsPerSample, kExtraSize};
static_assert(FieldsTile<kWaveFormatExSize>(kWaveFields));

uint32_t U(int32_t v) { return static_cast<uint32_t>(v); }
int32_t S(uint32_t v) { return static_cast<int32_t>(v); }

}  // namespace

std::vector<uint8_t> EncodeVideoInfoHeader(const VideoInfoHeader& h) {
  std::vector<uint8_t> out(kVideoInfoHeaderSize, 0);
  uint8_t* p = out.data();
  PutField<kSourceLeft>(p, U(h.source.left));
  PutField<kSourceTop>(p, U(h.source.top));
  PutField<kSourceRight>(p, U(h.source.right));
  PutField<kSourceBottom>(p, U(h.source.bottom));
  PutField<kTargetLeft>(p, U(h.target.left));
  PutField<kTargetTop>(p, U(h.target.top));
  PutField<kTargetRight>(p, U(h.target.right));
  PutField<kTargetBottom>(p, U(h.target.bottom));
  PutField<kBitRate>(p, h.bitRate);
  PutField<kBitErrorRate>(p, h.bitErrorRate);
  PutField<kAvgTimePerFrame>(p, static_cast<uint64_t>(h.avgTimePerFrame));
  const BitmapInfoHeader& b = h.bitmap;
  PutField<kBiSize>(p, b.size);
  PutField<kBiWidth>(p, U(b.width));
  PutField<kBiHeight>(p, U(b.height));
  PutField<kBiPlanes>(p, b.planes);
  PutField<kBiBitCount>(p, b.bitCount);
  PutField<kBiCompression>(p, b.compression);
  PutField<kBiSizeImage>(p, b.sizeImage);
  PutField<kBiXPelsPerMeter>(p, U(b.xPelsPerMeter));
  PutField<kBiYPelsPerMeter>(p, U(b.yPelsPerMeter));
  PutField<kBiClrUsed>(p, b.clrUsed);
  PutField<kBiClrImportant>(p, b.clrImportant);
  return out;
}

DecodeResult<VideoInfoHeader> DecodeVideoInfoHeader(std::span<const uint8_t> bytes) {
  using Result = DecodeResult<VideoInfoHeader>;
  if (bytes.size() < kVideoInfoHeaderSize) return Result::Failure(Truncated("VIDEOINFOHEADER", kVideoInfoHeaderSize));
  const uint8_t* p = bytes.data();
  VideoInfoHeader h;
  h.source = {S(GetField<kSourceLeft>(p)), S(GetField<kSourceTop>(p)), S(GetField<kSourceRight>(p)),
              S(GetField<kSourceBottom>(p))};
  h.target = {S(GetField<kTargetLeft>(p)), S(GetField<kTargetTop>(p)), S(GetField<kTargetRight>(p)),
              S(GetField<kTargetBottom>(p))};
  h.bitRate = GetField<kBitRate>(p);
  h.bitErrorRate = GetField<kBitErrorRate>(p);
  h.avgTimePerFrame = static_cast<int64_t>(GetField<kAvgTimePerFrame>(p));
  BitmapInfoHeader& b = h.bitmap;
  b.size = GetField<kBiSize>(p);
  b.width = S(GetField<kBiWidth>(p));
  b.height = S(GetField<kBiHeight>(p));
  b.planes = GetField<kBiPlanes>(p);
  b.bitCount = GetField<kBiBitCount>(p);
  b.compression = GetField<kBiCompression>(p);
  b.sizeImage = GetField<kBiSizeImage>(p);
  b.xPelsPerMeter = S(GetField<kBiXPelsPerMeter>(p));
  b.yPelsPerMeter = S(GetField<kBiYPelsPerMeter>(p));
  b.clrUsed = GetField<kBiClrUsed>(p);
  b.clrImportant = GetField<kBiClrImportant>(p);
  return Result::Success(h, kVideoInfoHeaderSize);
}

std::vector<uint8_t> EncodeWaveFormatEx(const WaveFormatEx& w) {
  std::vector<uint8_t> out(kWaveFormatExSize, 0);
  uint8_t* p = out.data();
  PutField<kFormatTag>(p, w.formatTag);
  PutField<kChannels>(p, w.channels);
  PutField<kSamplesPerSec>(p, w.samplesPerSec);
  PutField<kAvgBytesPerSec>(p, w.avgBytesPerSec);
  PutField<kBlockAlign>(p, w.blockAlign);
  PutField<kBitsPerSample>(p, w.bitsPerSample);
  PutField<kExtraSize>(p, w.extraSize);
  return out;
}

DecodeResult<WaveFormatEx> DecodeWaveFormatEx(std::span<const uint8_t> bytes) {
  using Result = DecodeResult<WaveFormatEx>;
  if (bytes.size() < kWaveFormatExSize) return Result::Failure(Truncated("WAVEFORMATEX", kWaveFormatExSize));
  const uint8_t* p = bytes.data();
  WaveFormatEx w;
  w.formatTag = GetField<kFormatTag>(p);
  w.channels = GetField<kChannels>(p);
  w.samplesPerSec = GetField<kSamplesPerSec>(p);
  w.avgBytesPerSec = GetField<kAvgBytesPerSec>(p);
  w.blockAlign = GetField<kBlockAlign>(p);
  w.bitsPerSample = GetField<kBitsPerSample>(p);
  w.extraSize = GetField<kExtraSize>(p);
  return Result::Success(w, kWaveFormatExSize);
}

}  // namespace zm::protocol
