// The embedding interfaces before in-place activation: what a container hands over is kept
// and let go again, and the control offers no property pages and no window yet.
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

  ComPtr<IOleWindow> window;
  ASSERT_EQ(player.query(&window), S_OK);
  HWND hwnd = reinterpret_cast<HWND>(1);
  EXPECT_EQ(window->GetWindow(&hwnd), E_FAIL);
  EXPECT_EQ(hwnd, nullptr);
  ComPtr<ISpecifyPropertyPages> pages;
  ASSERT_EQ(player.query(&pages), S_OK);
  CAUUID none = {5, reinterpret_cast<GUID*>(1)};
  ASSERT_EQ(pages->GetPages(&none), S_OK);
  EXPECT_EQ(none.cElems, 0u);
  EXPECT_EQ(none.pElems, nullptr);
}

}  // namespace
}  // namespace zm::tests
