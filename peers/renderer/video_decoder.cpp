#include "peers/renderer/video_decoder.h"

#include <amvideo.h>
#include <shlwapi.h>
#include <uuids.h>

#include <cstdlib>
#include <cstring>

namespace zm::renderer {

std::optional<VideoFormat> ChooseVideoFormat(const AM_MEDIA_TYPE& type) {
  VideoFormat format;
  if (type.subtype == MEDIASUBTYPE_MJPG) format.coding = VideoCoding::MotionJpeg;
  else if (type.subtype == MEDIASUBTYPE_RGB32) format.coding = VideoCoding::Rgb32;
  else if (type.subtype == MEDIASUBTYPE_RGB24) format.coding = VideoCoding::Rgb24;
  else return std::nullopt;
  const bool hasHeader =
      type.formattype == FORMAT_VideoInfo && type.pbFormat && type.cbFormat >= sizeof(VIDEOINFOHEADER);
  if (hasHeader) {
    const BITMAPINFOHEADER& bitmap = reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat)->bmiHeader;
    format.width = bitmap.biWidth;
    format.height = std::abs(bitmap.biHeight);
    format.bottomUp = bitmap.biHeight > 0;
  }
  // Uncompressed rows can only be laid out with the picture's size; a JPEG carries its own.
  if (format.coding == VideoCoding::MotionJpeg) return format;
  if (!hasHeader || format.width <= 0 || format.height <= 0 || format.width > 16384 || format.height > 16384)
    return std::nullopt;
  return format;
}

bool NeedsImagingComponent(const VideoFormat& format) { return format.coding == VideoCoding::MotionJpeg; }

bool VideoDecoder::Decode(const uint8_t* data, size_t length, Picture& out) {
  if (!data || length == 0) return false;
  return format_.coding == VideoCoding::MotionJpeg ? DecodeJpeg(data, length, out) : DecodeRgb(data, length, out);
}

bool VideoDecoder::DecodeRgb(const uint8_t* data, size_t length, Picture& out) const {
  const size_t width = static_cast<size_t>(format_.width), height = static_cast<size_t>(format_.height);
  const size_t bytesPerPixel = format_.coding == VideoCoding::Rgb32 ? 4 : 3;
  const size_t stride = (width * bytesPerPixel + 3) & ~size_t{3};  // DIB rows end on 4 bytes
  if (length < stride * height) return false;
  out.width = format_.width;
  out.height = format_.height;
  out.pixels.resize(width * height);
  for (size_t y = 0; y < height; ++y) {
    const uint8_t* row = data + (format_.bottomUp ? height - 1 - y : y) * stride;
    uint32_t* target = out.pixels.data() + y * width;
    if (bytesPerPixel == 4) {
      std::memcpy(target, row, width * 4);
      for (size_t x = 0; x < width; ++x) target[x] &= 0xFFFFFF;
    } else {
      for (size_t x = 0; x < width; ++x, row += 3) target[x] = row[0] | row[1] << 8 | row[2] << 16;
    }
  }
  return true;
}

bool VideoDecoder::DecodeJpeg(const uint8_t* data, size_t length, Picture& out) {
  if (length > UINT_MAX) return false;
  if (!factory_ && FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IWICImagingFactory, factory_.put_void())))
    return false;
  com::ComPtr<IStream> stream;
  stream.attach(SHCreateMemStream(data, static_cast<UINT>(length)));
  com::ComPtr<IWICBitmapDecoder> decoder;
  com::ComPtr<IWICBitmapFrameDecode> frame;
  com::ComPtr<IWICFormatConverter> converter;
  UINT width = 0, height = 0;
  if (!stream || FAILED(factory_->CreateDecoder(GUID_ContainerFormatJpeg, nullptr, decoder.put())) ||
      FAILED(decoder->Initialize(stream.get(), WICDecodeMetadataCacheOnDemand)) ||
      FAILED(decoder->GetFrame(0, frame.put())) || FAILED(factory_->CreateFormatConverter(converter.put())) ||
      FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom)) ||
      FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0 || width > 16384 || height > 16384)
    return false;
  Picture picture;
  picture.width = static_cast<int32_t>(width);
  picture.height = static_cast<int32_t>(height);
  picture.pixels.resize(static_cast<size_t>(width) * height);
  if (FAILED(converter->CopyPixels(nullptr, width * 4, width * height * 4,
                                   reinterpret_cast<BYTE*>(picture.pixels.data()))))
    return false;
  for (uint32_t& pixel : picture.pixels) pixel &= 0xFFFFFF;
  out = std::move(picture);
  return true;
}

}  // namespace zm::renderer
