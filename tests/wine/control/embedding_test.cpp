// The embedding interfaces before in-place activation: the client site a container hands
// over is kept and let go again, and the status and extent answer for the content aspect.
#include "control_client.h"

namespace zm::tests {
namespace {

TEST(EmbeddingTest, ClientSiteIsKeptAndLetGoAndOnlyTheContentAspectHasAnExtent) {
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
}

}  // namespace
}  // namespace zm::tests
