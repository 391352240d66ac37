#include "peers/server/jpeg_encoder.h"

#include <turbojpeg.h>

namespace zms {

JpegEncoder::JpegEncoder() : handle_(tjInitCompress()) {
  if (!handle_) error_ = tjGetErrorStr2(nullptr);
}

JpegEncoder::~JpegEncoder() {
  if (handle_) tjDestroy(handle_);
}

std::vector<uint8_t> JpegEncoder::Encode(std::span<const uint8_t> pixels, int width, int height, int quality) {
  if (!handle_) return {};
  constexpr int kBytesPerPixel = 4;
  if (width <= 0 || height <= 0 || pixels.size() != size_t{kBytesPerPixel} * width * height) {
    error_ = "picture size does not match its dimensions";
    return {};
  }
  // The worst case for these dimensions, so that TurboJPEG writes into our buffer and never
  // reallocates it behind our back.
  std::vector<uint8_t> jpeg(tjBufSize(width, height, TJSAMP_420));
  unsigned char* out = jpeg.data();
  unsigned long size = jpeg.size();
  if (tjCompress2(handle_, pixels.data(), width, width * kBytesPerPixel, height, TJPF_BGRX, &out, &size, TJSAMP_420,
                  quality, TJFLAG_BOTTOMUP | TJFLAG_NOREALLOC) != 0) {
    error_ = tjGetErrorStr2(handle_);
    return {};
  }
  jpeg.resize(size);
  return jpeg;
}

}  // namespace zms
