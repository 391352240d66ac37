// Baseline JPEG from an RGB32 picture, through libjpeg-turbo's TurboJPEG API. One encoder
// per source: a TurboJPEG handle serves one thread at a time.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zms {

class JpegEncoder {
 public:
  JpegEncoder();
  ~JpegEncoder();
  JpegEncoder(const JpegEncoder&) = delete;
  JpegEncoder& operator=(const JpegEncoder&) = delete;

  // `pixels`: width x height, bottom-up rows, 4 bytes a pixel (B G R X), as the test card
  // draws them. 4:2:0 chroma, quality 1..100. Empty on failure, with the reason in error().
  std::vector<uint8_t> Encode(std::span<const uint8_t> pixels, int width, int height, int quality);
  const std::string& error() const { return error_; }

 private:
  void* handle_;  // tjhandle; null when libjpeg-turbo could not make one
  std::string error_;
};

}  // namespace zms
