// In-place activation in a real container window: the control window with its flow bar and
// status window appears in the site, follows the site's rectangles, and goes away again.
#include "hosted_control.h"

namespace zm::tests {
namespace {

TEST(ActivationTest, InPlaceActivationCreatesTheWindowAndItsChildrenInTheSite) {
  HostedControl hosted;
  ASSERT_TRUE(hosted.created);
  EXPECT_EQ(hosted.ControlWindow(), nullptr);
  ASSERT_EQ(hosted.Control().Activate(), S_OK);
  HWND hwnd = hosted.ControlWindow();
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(GetParent(hwnd), hosted.window.m_hWnd);
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_TRUE(hosted.Control().Site()->InPlaceActive());
  RECT client{};
  GetClientRect(hwnd, &client);
  EXPECT_EQ(Edges(client), (std::vector<LONG>{0, 0, 400, 300}));
  // The flow bar (hidden by default) and the status window (hidden while idle) exist.
  for (HWND child : {hosted.FlowBar(), hosted.StatusWindow()}) {
    EXPECT_TRUE(IsWindow(child));
    EXPECT_FALSE(IsWindowVisible(child));
  }
  // The window class paints the black background.
  EXPECT_EQ(GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND), reinterpret_cast<LONG_PTR>(GetStockObject(BLACK_BRUSH)));
}

TEST(ActivationTest, DeactivationDestroysTheWindowAndTellsTheSite) {
  HostedControl hosted;
  ASSERT_EQ(hosted.Control().Activate(), S_OK);
  HWND first = hosted.ControlWindow();
  HWND status = hosted.StatusWindow();
  ASSERT_EQ(hosted.Control().Deactivate(), S_OK);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_FALSE(IsWindow(status));
  EXPECT_FALSE(hosted.Control().Site()->InPlaceActive());
  ComPtr<IOleWindow> window = hosted.Control().Query<IOleWindow>();
  HWND none = reinterpret_cast<HWND>(1);
  EXPECT_EQ(window->GetWindow(&none), E_FAIL);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(hosted.Control().Deactivate(), S_OK);  // deactivating twice is harmless
  ASSERT_EQ(hosted.Control().Activate(), S_OK);
  EXPECT_TRUE(IsWindow(hosted.ControlWindow()));
}

TEST(ActivationTest, UIActivationMakesTheControlTheFramesActiveObject) {
  HostedControl hosted;
  ASSERT_EQ(hosted.Control().Activate(OLEIVERB_INPLACEACTIVATE), S_OK);
  EXPECT_FALSE(hosted.Control().Site()->UIActive());
  ASSERT_EQ(hosted.Control().Activate(OLEIVERB_UIACTIVATE), S_OK);
  EXPECT_TRUE(hosted.Control().Site()->UIActive());
  ComPtr<IOleInPlaceActiveObject> expected = hosted.Control().Query<IOleInPlaceActiveObject>();
  EXPECT_EQ(hosted.Control().Site()->ActiveObject(), expected.get());
  EXPECT_EQ(GetFocus(), hosted.ControlWindow());
  ComPtr<IOleInPlaceObject> inPlace = hosted.Control().Query<IOleInPlaceObject>();
  ASSERT_EQ(inPlace->UIDeactivate(), S_OK);
  EXPECT_FALSE(hosted.Control().Site()->UIActive());
  EXPECT_EQ(hosted.Control().Site()->ActiveObject(), nullptr);
  EXPECT_TRUE(IsWindow(hosted.ControlWindow()));  // still in-place active
}

TEST(ActivationTest, VerbsOtherThanActivationAnswerAsDocumented) {
  HostedControl hosted;
  ComPtr<IOleObject> object = hosted.Control().Query<IOleObject>();
  RECT rect = {0, 0, 400, 300};
  HWND host = hosted.window.m_hWnd;
  EXPECT_EQ(object->DoVerb(-99, nullptr, nullptr, 0, host, &rect), E_NOTIMPL);
  EXPECT_EQ(object->DoVerb(OLEIVERB_OPEN, nullptr, nullptr, 0, host, &rect), OLEOBJ_S_CANNOT_DOVERB_NOW);
  EXPECT_EQ(hosted.ControlWindow(), nullptr);
  // An unknown positive verb is carried out as the primary verb.
  EXPECT_EQ(object->DoVerb(7, nullptr, nullptr, 0, host, &rect), OLEOBJ_S_INVALIDVERB);
  HWND hwnd = hosted.ControlWindow();
  ASSERT_NE(hwnd, nullptr);
  EXPECT_TRUE(hosted.Control().Site()->UIActive());
  EXPECT_EQ(object->DoVerb(OLEIVERB_HIDE, nullptr, nullptr, 0, host, &rect), S_OK);
  EXPECT_FALSE(IsWindowVisible(hwnd));
  EXPECT_FALSE(hosted.Control().Site()->UIActive());
  EXPECT_EQ(object->DoVerb(OLEIVERB_SHOW, nullptr, nullptr, 0, host, &rect), S_OK);
  EXPECT_TRUE(IsWindowVisible(hwnd));
}

TEST(ActivationTest, ActivationWithoutAUsableSiteFailsWithoutAWindow) {
  ComPtr<IZMediaPlayer> player = CreateControl();
  ComPtr<IOleObject> object;
  ASSERT_EQ(player.query(&object), S_OK);
  RECT rect = {0, 0, 100, 100};
  EXPECT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, nullptr, &rect), E_UNEXPECTED);
  EXPECT_EQ(object->DoVerb(OLEIVERB_PRIMARY, nullptr, nullptr, 0, nullptr, nullptr), E_UNEXPECTED);
  PlainSite site;
  EXPECT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, nullptr, nullptr), OLE_E_NOT_INPLACEACTIVE);
  object->SetClientSite(nullptr);
  EXPECT_EQ(site.refs, 1u);
}

TEST(ActivationTest, SetObjectRectsMovesTheWindowAndClipsWhatLiesOutside) {
  HostedControl hosted;
  ASSERT_EQ(hosted.Control().Activate(), S_OK);
  HWND hwnd = hosted.ControlWindow();
  ComPtr<IOleInPlaceObject> inPlace = hosted.Control().Query<IOleInPlaceObject>();
  RECT position = {10, 20, 210, 170};
  RECT clip = {0, 0, 400, 300};
  ASSERT_EQ(inPlace->SetObjectRects(&position, &clip), S_OK);
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  MapWindowPoints(HWND_DESKTOP, hosted.window.m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(Edges(rect), Edges(position));
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(hwnd, region), ERROR);  // wholly inside the clip: no region
  RECT narrow = {0, 0, 110, 300};
  ASSERT_EQ(inPlace->SetObjectRects(&position, &narrow), S_OK);
  ASSERT_EQ(GetWindowRgn(hwnd, region), SIMPLEREGION);
  RECT box{};
  GetRgnBox(region, &box);
  EXPECT_EQ(Edges(box), (std::vector<LONG>{0, 0, 100, 150}));
  DeleteObject(region);
}

}  // namespace
}  // namespace zm::tests
