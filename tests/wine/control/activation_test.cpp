// In-place activation in a real container window: the control window with its flow bar and
// status window appears in the site, follows the site's rectangles, and goes away again; and
// what its window does with keys and commands while no session runs.
#include "hosted_control.h"

namespace zm::tests {
namespace {

TEST(ActivationTest, InPlaceActivationCreatesTheWindowInTheSiteAndDeactivationTakesItAway) {
  HostedControl hosted;
  ASSERT_TRUE(hosted.created);
  EXPECT_EQ(hosted.ControlWindow(), nullptr);
  ASSERT_EQ(hosted.Control().Activate(), S_OK);
  const HWND hwnd = hosted.ControlWindow(), status = hosted.StatusWindow();
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(GetParent(hwnd), hosted.window.m_hWnd);
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_TRUE(hosted.Control().Site()->InPlaceActive());
  RECT client{};
  GetClientRect(hwnd, &client);
  EXPECT_EQ(Edges(client), (std::vector<LONG>{0, 0, 400, 300}));
  // The flow bar (hidden by default) and the status window (hidden while idle) exist.
  for (HWND child : {hosted.FlowBar(), status}) EXPECT_TRUE(IsWindow(child) && !IsWindowVisible(child));
  EXPECT_EQ(GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND), reinterpret_cast<LONG_PTR>(GetStockObject(BLACK_BRUSH)));

  ASSERT_EQ(hosted.Control().Deactivate(), S_OK);
  EXPECT_FALSE(IsWindow(hwnd) || IsWindow(status));
  EXPECT_FALSE(hosted.Control().Site()->InPlaceActive());
  HWND none = reinterpret_cast<HWND>(1);
  EXPECT_EQ(hosted.Control().Query<IOleWindow>()->GetWindow(&none), E_FAIL);
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
  EXPECT_EQ(hosted.Control().Site()->ActiveObject(), hosted.Control().Query<IOleInPlaceActiveObject>().get());
  EXPECT_EQ(GetFocus(), hosted.ControlWindow());
  ASSERT_EQ(hosted.Control().Query<IOleInPlaceObject>()->UIDeactivate(), S_OK);
  EXPECT_FALSE(hosted.Control().Site()->UIActive());
  EXPECT_EQ(hosted.Control().Site()->ActiveObject(), nullptr);
  EXPECT_TRUE(IsWindow(hosted.ControlWindow())) << "still in-place active";
}

TEST(ActivationTest, VerbsOtherThanActivationAnswerAsDocumented) {
  HostedControl hosted;
  ComPtr<IOleObject> object = hosted.Control().Query<IOleObject>();
  RECT rect = {0, 0, 400, 300};
  const HWND host = hosted.window.m_hWnd;
  auto verb = [&](LONG id) { return object->DoVerb(id, nullptr, nullptr, 0, host, &rect); };
  EXPECT_EQ(verb(-99), E_NOTIMPL);
  EXPECT_EQ(verb(OLEIVERB_OPEN), OLEOBJ_S_CANNOT_DOVERB_NOW);
  EXPECT_EQ(hosted.ControlWindow(), nullptr);
  EXPECT_EQ(verb(7), OLEOBJ_S_INVALIDVERB) << "carried out as the primary verb";
  const HWND hwnd = hosted.ControlWindow();
  ASSERT_NE(hwnd, nullptr);
  EXPECT_TRUE(hosted.Control().Site()->UIActive());
  EXPECT_EQ(verb(OLEIVERB_HIDE), S_OK);
  EXPECT_FALSE(IsWindowVisible(hwnd));
  EXPECT_FALSE(hosted.Control().Site()->UIActive());
  EXPECT_EQ(verb(OLEIVERB_SHOW), S_OK);
  EXPECT_TRUE(IsWindowVisible(hwnd));
}

TEST(ActivationTest, ActivationWithoutAUsableSiteFailsWithoutAWindow) {
  ComPtr<IZMediaPlayer> player = CreateControl();
  ComPtr<IOleObject> object;
  ASSERT_EQ(player.query(&object), S_OK);
  DWORD status = 0;
  ASSERT_EQ(object->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
  EXPECT_EQ(status, 0x20191u);
  RECT rect = {0, 0, 100, 100};
  EXPECT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, nullptr, &rect), E_UNEXPECTED);
  EXPECT_EQ(object->DoVerb(OLEIVERB_PRIMARY, nullptr, nullptr, 0, nullptr, nullptr), E_UNEXPECTED);
  PlainSite site;  // no in-place site
  ASSERT_EQ(object->SetClientSite(&site), S_OK);
  ComPtr<IOleClientSite> back;
  ASSERT_EQ(object->GetClientSite(back.put()), S_OK);
  EXPECT_EQ(back.get(), &site);
  back.reset();
  EXPECT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, nullptr, nullptr), OLE_E_NOT_INPLACEACTIVE);
  ASSERT_EQ(object->SetClientSite(nullptr), S_OK);
  EXPECT_EQ(site.refs, 1u) << "the control let go of the site";
}

TEST(ActivationTest, SetObjectRectsMovesTheWindowAndClipsWhatLiesOutside) {
  HostedControl hosted;
  ASSERT_EQ(hosted.Control().Activate(), S_OK);
  const HWND hwnd = hosted.ControlWindow();
  ComPtr<IOleInPlaceObject> inPlace = hosted.Control().Query<IOleInPlaceObject>();
  RECT position = {10, 20, 210, 170}, clip = {0, 0, 400, 300};
  ASSERT_EQ(inPlace->SetObjectRects(&position, &clip), S_OK);
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  MapWindowPoints(HWND_DESKTOP, hosted.window.m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(Edges(rect), Edges(position));
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(hwnd, region), ERROR) << "wholly inside the clip: no region";
  RECT narrow = {0, 0, 110, 300};
  ASSERT_EQ(inPlace->SetObjectRects(&position, &narrow), S_OK);
  ASSERT_EQ(GetWindowRgn(hwnd, region), SIMPLEREGION);
  RECT box{};
  GetRgnBox(region, &box);
  EXPECT_EQ(Edges(box), (std::vector<LONG>{0, 0, 100, 150}));
  DeleteObject(region);
}

TEST(ActivationTest, IdleKeysAndCommandsFireNothingAndSystemKeysReachTheHost) {
  HostedControl hosted;
  ASSERT_EQ(hosted.Control().Activate(), S_OK);
  const HWND hwnd = hosted.ControlWindow();
  ComPtr<IZMediaPlayer> player = hosted.Player();
  player->UseCustomErrorHandler(VARIANT_TRUE);
  SendMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
  SendMessageW(hwnd, WM_KEYDOWN, 'A', 0);
  SendMessageW(hwnd, WM_SYSKEYDOWN, VK_F10, 0);
  SendMessageW(hwnd, WM_LBUTTONDBLCLK, 0, MAKELPARAM(10, 10));
  for (WORD command : {0xF6, 0xF8, 0x8009, 0x800E}) SendMessageW(hwnd, WM_COMMAND, command, 0);  // sizes, aspects
  SendMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(20, 20));
  EXPECT_EQ(player->ViewOriginalSize(), S_FALSE) << "size requests are only for a picture that is shown";
  EXPECT_EQ(player->ViewFullScreenSize(), S_OK);
  SendMessageW(hwnd, WM_COMMAND, 0xFA, 1);  // the broadcast's end is nothing while idle
  EXPECT_TRUE(hosted.recorder.events.empty());
  EXPECT_EQ(hosted.ControlWindow(), hwnd);
  SendMessageW(hwnd, WM_COMMAND, 0xFA, 0);  // the play/pause command while idle is Play, with its checks
  EXPECT_EQ(hosted.recorder.ErrorIds(), std::vector<LONG>{1000});

  // Alt+F4 in the control asks the host's top-level window to close; the request is taken
  // off the queue here so that the shared host window stays.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE)) {
  }
  SendMessageW(hwnd, WM_SYSKEYDOWN, VK_F4, static_cast<LPARAM>(KF_ALTDOWN) << 16 | 1);
  ASSERT_TRUE(PeekMessageW(&msg, hosted.window.m_hWnd, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE));
  EXPECT_EQ(msg.wParam & 0xFFF0, static_cast<WPARAM>(SC_CLOSE));
  EXPECT_TRUE(IsWindow(hwnd));
}

}  // namespace
}  // namespace zm::tests
