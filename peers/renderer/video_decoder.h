// The video codings the renderer decodes (uncompressed RGB32 and RGB24 with a VIDEOINFOHEADER,
// and Motion-JPEG through the system's imaging component) and the decoder that turns one
// frame's payload into a Picture. ChooseVideoFormat: any thread; VideoDecoder: the video
// puller's thread, which has COM initialised when the coding is Motion-JPEG.
#pragma once

#include <windows.h>
#include <strmif.h>
#include <wincodec.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "com/com_ptr.h"
#include "com/heap_hole.h"
#include "com/unique_handle.h"
#include "peers/renderer/picture.h"

namespace zm::renderer {

enum class VideoCoding { Rgb32, Rgb24, MotionJpeg };

struct VideoFormat {
  VideoCoding coding = VideoCoding::Rgb32;
  int32_t width = 0;  // from the format block; a JPEG brings its own size
  int32_t height = 0;
  bool bottomUp = false;  // a positive biHeight: the last row comes first
};

// Nothing when the media type is not one the renderer decodes.
std::optional<VideoFormat> ChooseVideoFormat(const AM_MEDIA_TYPE& type);

bool NeedsImagingComponent(const VideoFormat& format);

class VideoDecoder {
 public:
  explicit VideoDecoder(const VideoFormat& format) : format_(format) {}

  // False when the payload is too short for the picture or is no image the decoder reads; `out`
  // is then left unfit to show. Its memory is reused, so a caller that passes the same picture
  // each time allocates nothing once the size is known.
  bool Decode(const uint8_t* data, size_t length, Picture& out);

 private:
  bool DecodeRgb(const uint8_t* data, size_t length, Picture& out) const;
  bool DecodeJpeg(const uint8_t* data, size_t length, Picture& out);

  VideoFormat format_;
  com::ComPtr<IWICImagingFactory> factory_;  // made on the first JPEG, on the puller's thread
  com::ComPtr<IClassFactory> jpegDecoders_;  // likewise; null when the class cannot be had
  std::vector<uint8_t> rows_;                // a colour JPEG's 24-bit rows, before widening
  // Wine's imaging component decodes each JPEG into a picture of its own from the C runtime's
  // heap, and frees it with the frame's decoder: a hole there keeps that picture's pages.
  com::UniqueModule runtime_;  // held while the hole is in its heap
  std::optional<com::HeapHole> runtimeHole_;
};

}  // namespace zm::renderer
