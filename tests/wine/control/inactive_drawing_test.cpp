// An inactive control drawn into a container's device context shows what its window would:
// the black background with the logo laid out for the bounds.
#include "control_client.h"

namespace zm::tests {
namespace {

struct MemoryCanvas {
  MemoryCanvas(int width, int height) {
    HDC screen = GetDC(nullptr);
    dc = CreateCompatibleDC(screen);
    bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    old = SelectObject(dc, bitmap);
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  ~MemoryCanvas() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  COLORREF At(int x, int y) const { return GetPixel(dc, x, y) & 0xFFFFFF; }
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
};

bool IsBlueish(COLORREF c) { return GetBValue(c) > 0x70 && GetBValue(c) > GetRValue(c) + 0x40; }

TEST(InactiveDrawingTest, DrawPutsTheLogoWhereTheWindowLayoutWould) {
  ComPtr<IZMediaPlayer> player = CreateControl();
  ComPtr<IViewObject> view;
  ASSERT_EQ(player.query(&view), S_OK);
  ComPtr<IPicture> logo;
  std::wstring path = ProgramFolder() + L"zavren.jpg";
  ASSERT_EQ(OleLoadPicturePath(const_cast<LPOLESTR>(path.c_str()), nullptr, 0, 0, IID_IPicture, logo.put_void()), S_OK);
  OLE_XSIZE_HIMETRIC logoWidth = 0;
  OLE_YSIZE_HIMETRIC logoHeight = 0;
  logo->get_Width(&logoWidth);
  logo->get_Height(&logoHeight);
  ASSERT_GT(logoWidth, logoHeight);  // a wide logo: a 400 x 300 area letterboxes it

  MemoryCanvas canvas(420, 320);
  RECTL bounds = {10, 10, 410, 310};
  ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.dc, &bounds, nullptr, nullptr, 0), S_OK);
  const int height = static_cast<int>(400LL * logoHeight / logoWidth);
  const int top = 10 + (300 - height) / 2;
  EXPECT_EQ(canvas.At(200, 11), 0u);  // bar above
  EXPECT_EQ(canvas.At(200, top - 1), 0u);
  EXPECT_TRUE(IsBlueish(canvas.At(12, top + 1)));  // the logo's background at its corners
  EXPECT_TRUE(IsBlueish(canvas.At(407, top + height - 2)));
  EXPECT_EQ(canvas.At(200, top + height), 0u);  // bar below
  EXPECT_EQ(canvas.At(5, 5), 0xFFFFFFu);        // outside the bounds nothing changed

  // Without a logo only the background is drawn.
  EXPECT_EQ(player->UseCustomLogo(Text(L"C:\\no\\such\\logo.jpg")), S_FALSE);
  ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.dc, &bounds, nullptr, nullptr, 0), S_OK);
  EXPECT_EQ(canvas.At(200, 160), 0u);
}

}  // namespace
}  // namespace zm::tests
