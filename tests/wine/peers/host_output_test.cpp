// The lines zmhost prints: each event with its arguments in parameter order, and the
// properties line of a control that is not playing.
#include "control_client.h"
#include "peers/host/event_printer.h"
#include "peers/host/status_lines.h"

namespace zm::tests {
namespace {

VARIANT Short(short value) {
  VARIANT v;
  v.vt = VT_I2;
  v.iVal = value;
  return v;
}

VARIANT Long(LONG value) {
  VARIANT v;
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}

TEST(HostOutputTest, EachEventPrintsItsNameAndArgumentsInParameterOrder) {
  struct Case {
    DISPID id;
    std::vector<VARIANT> args;  // last parameter first, as Invoke receives them
    const char* line;
  } cases[] = {
      {host::kOnResize, {Short(240), Short(320)}, "OnResize 320 240"},
      {host::kOnStart, {}, "OnStart"},
      {host::kOnPause, {Short(2)}, "OnPause 2"},
      {host::kOnStop, {Short(1)}, "OnStop 1"},
      {host::kOnError, {Long(1005), Long(3)}, "OnError 3 1005"},
      {9, {Long(-7)}, "Event9 -7"},
  };
  for (Case& c : cases) {
    DISPPARAMS params{c.args.data(), nullptr, static_cast<UINT>(c.args.size()), 0};
    EXPECT_EQ(host::CEventPrinter::FormatEvent(c.id, params), c.line);
  }
}

TEST(HostOutputTest, IdleControlReadsAsNoNameAndZeros) {
  ComPtr<IZMediaPlayer> player = CreateControl();
  ASSERT_TRUE(player);
  EXPECT_EQ(host::PropertiesLine(player.get()),
            "properties MediaName=\"\" TotalTime_Sec=0 CurrentPlaybackTime_Sec=0 VideoFrameWidth=0 VideoFrameHeight=0");
  EXPECT_EQ(host::ResultLine("Stop", E_NOTIMPL), "Stop 0x80004001");
}

}  // namespace
}  // namespace zm::tests
