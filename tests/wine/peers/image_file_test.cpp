// The host's picture files: PNG and BMP as the system's own decoder reads them (it checks
// the PNG's chunk checksums and zlib stream), and the host's BMP reader, which must refuse
// a file that ends too soon rather than read past it.
#include <windows.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include "com/com_ptr.h"
#include "peers/host/image_file.h"

namespace zm::host {
namespace {

using com::ComPtr;

Image Gradient(int width, int height) {
  Image image{width, height, {}};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.pixels.push_back(static_cast<uint32_t>(((x * 7) & 0xFF) << 16 | ((y * 13) & 0xFF) << 8 | ((x + y) & 0xFF)));
  return image;
}

std::optional<Image> DecodeWithSystem(const std::vector<uint8_t>& bytes) {
  ComPtr<IWICImagingFactory> factory;
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICBitmapSource> pixels;
  UINT width = 0, height = 0;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              factory.put_void())) ||
      FAILED(factory->CreateStream(stream.put())) ||
      FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()))) ||
      FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnLoad, decoder.put())) ||
      FAILED(decoder->GetFrame(0, frame.put())) ||
      FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGR, frame.get(), pixels.put())) ||
      FAILED(pixels->GetSize(&width, &height)))
    return std::nullopt;
  Image image{static_cast<int32_t>(width), static_cast<int32_t>(height), std::vector<uint32_t>(width * height)};
  if (FAILED(pixels->CopyPixels(nullptr, width * 4, width * height * 4, reinterpret_cast<BYTE*>(image.pixels.data()))))
    return std::nullopt;
  for (uint32_t& pixel : image.pixels) pixel &= 0xFFFFFF;
  return image;
}

// The host's own BMP reader is proven on the host's screenshots (host_screenshot_test.cpp).
TEST(ImageFileTest, SystemDecoderReadsBothFormatsBackAndTheBmpReaderRefusesATruncatedFile) {
  // An odd width pads the BMP's rows; over 65535 bytes of scanlines take two stored PNG blocks.
  const Image image = Gradient(301, 97);
  std::vector<uint8_t> bmp = EncodeBmp(image);
  for (const std::vector<uint8_t>& bytes : {EncodePng(image), bmp}) {
    std::optional<Image> back = DecodeWithSystem(bytes);
    ASSERT_TRUE(back) << "format starting " << bytes[1];
    EXPECT_EQ(back->width, 301);
    EXPECT_EQ(back->height, 97);
    EXPECT_TRUE(back->pixels == image.pixels);
  }
  bmp.pop_back();
  EXPECT_FALSE(DecodeBmp(bmp));
}

}  // namespace
}  // namespace zm::host
