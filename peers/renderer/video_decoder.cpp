#include "peers/renderer/video_decoder.h"

#include <amvideo.h>
#include <shlwapi.h>
#include <uuids.h>

#include <cstdlib>
#include <cstring>

namespace zm::renderer {
namespace {

// Blue, green, red bytes into 0x00RRGGBB pixels.
void WidenBgr24(const uint8_t* from, uint32_t* to, size_t count) {
  for (size_t i = 0; i < count; ++i, from += 3) to[i] = from[0] | from[1] << 8 | from[2] << 16;
}

}  // namespace

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
      WidenBgr24(row, target, width);
    }
  }
  return true;
}

bool VideoDecoder::DecodeJpeg(const uint8_t* data, size_t length, Picture& out) {
  if (length > UINT_MAX) return false;
  if (!factory_) {
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                factory_.put_void())))
      return false;
    // The decoder's class once, then a decoder from it for each frame: the factory would look
    // through the registered decoders in the registry every time.
    CoGetClassObject(CLSID_WICJpegDecoder, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, jpegDecoders_.put_void());
    HMODULE runtime = nullptr;
    if (GetModuleHandleExW(0, L"ucrtbase.dll", &runtime)) {
      runtime_.reset(runtime);
      if (const auto heap = com::RuntimeHeap(runtime)) runtimeHole_.emplace(*heap);
    }
  }
  com::ComPtr<IStream> stream;
  stream.attach(SHCreateMemStream(data, static_cast<UINT>(length)));
  com::ComPtr<IWICBitmapDecoder> decoder;
  const HRESULT made = jpegDecoders_ ? jpegDecoders_->CreateInstance(nullptr, IID_IWICBitmapDecoder, decoder.put_void())
                                     : factory_->CreateDecoder(GUID_ContainerFormatJpeg, nullptr, decoder.put());
  com::ComPtr<IWICBitmapFrameDecode> frame;
  UINT width = 0, height = 0;
  WICPixelFormatGUID format{};
  if (!stream || FAILED(made) || FAILED(decoder->Initialize(stream.get(), WICDecodeMetadataCacheOnDemand)) ||
      FAILED(decoder->GetFrame(0, frame.put())) || FAILED(frame->GetSize(&width, &height)) || width == 0 ||
      height == 0 || width > 16384 || height > 16384 || FAILED(frame->GetPixelFormat(&format)))
    return false;
  const size_t count = static_cast<size_t>(width) * height;
  if (runtimeHole_) runtimeHole_->Fit(count * 3);  // for the next frames' decoders
  out.pixels.resize(count);
  if (IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
    // A colour JPEG's own layout, widened here: the format converter would copy the whole
    // picture once more, into memory of its own, for every frame.
    const UINT stride = width * 3;
    rows_.resize(static_cast<size_t>(stride) * height);
    if (FAILED(frame->CopyPixels(nullptr, stride, static_cast<UINT>(rows_.size()), rows_.data()))) return false;
    WidenBgr24(rows_.data(), out.pixels.data(), count);
  } else {
    com::ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory_->CreateFormatConverter(converter.put())) ||
        FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
      return false;
    if (FAILED(
            converter->CopyPixels(nullptr, width * 4, width * height * 4, reinterpret_cast<BYTE*>(out.pixels.data()))))
      return false;
    for (uint32_t& pixel : out.pixels) pixel &= 0xFFFFFF;
  }
  out.width = static_cast<int32_t>(width);
  out.height = static_cast<int32_t>(height);
  return true;
}

}  // namespace zm::renderer
