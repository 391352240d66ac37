// The properties line scripts read from zmhost, in full, for a control that is not playing.
#include "peers/host/status_lines.h"

#include "control_client.h"

namespace zm::tests {
namespace {

TEST(StatusLinesTest, IdleControlReadsAsNoNameAndZeros) {
  ComPtr<IZMediaPlayer> player = CreateControl();
  ASSERT_TRUE(player);
  EXPECT_EQ(host::PropertiesLine(player.get()),
            "properties MediaName=\"\" TotalTime_Sec=0 CurrentPlaybackTime_Sec=0 VideoFrameWidth=0 VideoFrameHeight=0");
}

}  // namespace
}  // namespace zm::tests
