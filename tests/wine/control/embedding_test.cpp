// The embedding interfaces before in-place activation: what a container hands over
// is kept, view drawing paints into the container's DC, and null arguments are refused.
#include "control_client.h"

namespace zm::tests {
namespace {

TEST(EmbeddingTest, ClientSiteExtentAndStatusAreKept) {
  ComPtr<IZMediaPlayer> player = CreateControl();
  ComPtr<IOleObject> object;
  ASSERT_EQ(player.query(&object), S_OK);
  PlainSite site;
  ASSERT_EQ(object->SetClientSite(&site), S_OK);
  ComPtr<IOleClientSite> back;
  ASSERT_EQ(object->GetClientSite(back.put()), S_OK);
  EXPECT_EQ(back.get(), &site);
  back.reset();
  ASSERT_EQ(object->SetClientSite(nullptr), S_OK);
  EXPECT_EQ(site.refs, 1u);  // the control let go of the site

  DWORD status = 0;
  ASSERT_EQ(object->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
  EXPECT_EQ(status, 0x20191u);
  SIZEL extent = {1000, 2000};
  EXPECT_EQ(object->SetExtent(DVASPECT_THUMBNAIL, &extent), DV_E_DVASPECT);
  ASSERT_EQ(object->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
  SIZEL got = {};
  ASSERT_EQ(object->GetExtent(DVASPECT_CONTENT, &got), S_OK);
  EXPECT_EQ(got.cx, 1000);
  EXPECT_EQ(got.cy, 2000);
  CLSID clsid;
  ASSERT_EQ(object->GetUserClassID(&clsid), S_OK);
  EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_ZMediaPlayer));
  // No window exists before in-place activation.
  ComPtr<IOleWindow> window;
  ASSERT_EQ(player.query(&window), S_OK);
  HWND hwnd = reinterpret_cast<HWND>(1);
  EXPECT_EQ(window->GetWindow(&hwnd), E_FAIL);
  EXPECT_EQ(hwnd, nullptr);
}

TEST(EmbeddingTest, NullArgumentsAreRefusedWithEPointer) {
  ComPtr<IZMediaPlayer> player = CreateControl();
  ComPtr<IOleObject> object;
  ComPtr<IViewObjectEx> view;
  ComPtr<IQuickActivate> quick;
  ComPtr<ISpecifyPropertyPages> pages;
  ComPtr<IDataObject> data;
  ComPtr<IObjectWithSite> withSite;
  ComPtr<IServiceProvider> services;
  ComPtr<IOleWindow> window;
  ComPtr<IOleControl> control;
  ASSERT_EQ(player.query(&object), S_OK);
  ASSERT_EQ(player.query(&view), S_OK);
  ASSERT_EQ(player.query(&quick), S_OK);
  ASSERT_EQ(player.query(&pages), S_OK);
  ASSERT_EQ(player.query(&data), S_OK);
  ASSERT_EQ(player.query(&withSite), S_OK);
  ASSERT_EQ(player.query(&services), S_OK);
  ASSERT_EQ(player.query(&window), S_OK);
  ASSERT_EQ(player.query(&control), S_OK);
  EXPECT_EQ(object->GetClientSite(nullptr), E_POINTER);
  EXPECT_EQ(object->GetExtent(DVASPECT_CONTENT, nullptr), E_POINTER);
  EXPECT_EQ(object->SetExtent(DVASPECT_CONTENT, nullptr), E_POINTER);
  EXPECT_EQ(object->GetMiscStatus(DVASPECT_CONTENT, nullptr), E_POINTER);
  EXPECT_EQ(object->Advise(nullptr, nullptr), E_POINTER);
  EXPECT_EQ(object->GetUserClassID(nullptr), E_POINTER);
  EXPECT_EQ(view->GetViewStatus(nullptr), E_POINTER);
  EXPECT_EQ(view->GetRect(DVASPECT_CONTENT, nullptr), E_POINTER);
  EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0),
            E_INVALIDARG);
  EXPECT_EQ(quick->QuickActivate(nullptr, nullptr), E_POINTER);
  EXPECT_EQ(pages->GetPages(nullptr), E_POINTER);
  EXPECT_EQ(data->GetData(nullptr, nullptr), E_POINTER);
  EXPECT_EQ(data->DAdvise(nullptr, 0, nullptr, nullptr), E_POINTER);
  EXPECT_EQ(withSite->GetSite(IID_IUnknown, nullptr), E_POINTER);
  EXPECT_EQ(services->QueryService(IID_IUnknown, IID_IUnknown, nullptr), E_POINTER);
  EXPECT_EQ(window->GetWindow(nullptr), E_POINTER);
  EXPECT_EQ(control->GetControlInfo(nullptr), E_POINTER);
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(withSite->GetSite(IID_IUnknown, &out), E_FAIL);
  EXPECT_EQ(out, nullptr);
  CAUUID none = {5, reinterpret_cast<GUID*>(1)};
  ASSERT_EQ(pages->GetPages(&none), S_OK);
  EXPECT_EQ(none.cElems, 0u);
  EXPECT_EQ(none.pElems, nullptr);
}

TEST(EmbeddingTest, DrawingIntoAContainerDcPaintsTheBlackBackground) {
  ComPtr<IZMediaPlayer> player = CreateControl();
  ComPtr<IViewObjectEx> view;
  ASSERT_EQ(player.query(&view), S_OK);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 64, 48);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all = {0, 0, 64, 48};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  RECTL bounds = {8, 8, 40, 32};
  ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0), S_OK);
  EXPECT_EQ(GetPixel(dc, 8, 8) & 0xFFFFFF, 0u);
  EXPECT_EQ(GetPixel(dc, 39, 31) & 0xFFFFFF, 0u);
  EXPECT_EQ(GetPixel(dc, 4, 4) & 0xFFFFFF, 0xFFFFFFu);  // outside the bounds stays untouched
  EXPECT_EQ(GetPixel(dc, 40, 32) & 0xFFFFFF, 0xFFFFFFu);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);

  DWORD status = 0;
  ASSERT_EQ(view->GetViewStatus(&status), S_OK);
  EXPECT_EQ(status, static_cast<DWORD>(VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND));
  DWORD hit = 0;
  RECT area = {0, 0, 10, 10};
  ASSERT_EQ(view->QueryHitPoint(DVASPECT_CONTENT, &area, POINT{5, 5}, 0, &hit), S_OK);
  EXPECT_EQ(hit, static_cast<DWORD>(HITRESULT_HIT));
  ASSERT_EQ(view->QueryHitPoint(DVASPECT_CONTENT, &area, POINT{15, 5}, 0, &hit), S_OK);
  EXPECT_EQ(hit, static_cast<DWORD>(HITRESULT_OUTSIDE));
}

}  // namespace
}  // namespace zm::tests
