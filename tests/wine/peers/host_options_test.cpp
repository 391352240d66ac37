// zmhost's command line: when screenshots are taken and when the host leaves, in both
// screenshot forms; the times it refuses; a usage that describes every option.
#include "peers/host/host_options.h"

#include <gtest/gtest.h>

namespace zm::host {
namespace {

TEST(HostOptionsTest, ScreenshotTimesAndLeavingFollowTheCommandLineOrAreRefused) {
  const wchar_t* kTooLate = L"--screenshot and --after come no later than --quit-after";
  struct Case {
    std::vector<std::wstring> args;
    std::vector<TimedScreenshot> shots;
    std::optional<double> leave = {}, quit = {};
    const wchar_t* error = nullptr;
  } cases[] = {
      {{L"--screenshot", L"a.png@2", L"--screenshot", L"b.png@4.5"}, {{L"a.png", 2}, {L"b.png", 4.5}}, 4.5},
      {{L"--screenshot", L"a.png", L"--after", L"1"}, {{L"a.png", 1}}, 1},
      {{L"--after", L"3", L"--screenshot", L"x@y.png", L"--screenshot", L"c.bmp@"},
       {{L"x@y.png", 3}, {L"c.bmp@", 3}},
       3},
      {{L"--screenshot", L"a.png@2", L"--after", L"1"}, {{L"a.png", 2}}, 2},
      {{L"--screenshot", L"a.png@5", L"--quit-after", L"5"}, {{L"a.png", 5}}, {}, 5},
      {{L"--file", L"x.zmf"}, {}, {}, {}},
      {{L"--screenshot", L"a.png"}, {}, {}, {}, L"--screenshot needs FILE@SECONDS or --after SECONDS"},
      {{L"--screenshot", L"a.png@6", L"--quit-after", L"5"}, {}, {}, {}, kTooLate},
      {{L"--after", L"9", L"--quit-after", L"5"}, {}, {}, {}, kTooLate},
      {{L"--quit-after", L"3601"}, {}, {}, {}, L"--quit-after needs seconds"},
      {{L"--after", L"-1"}, {}, {}, {}, L"--after needs seconds"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.args.front() << " ... " << c.args.back());
    std::wstring error;
    std::optional<HostOptions> options = ParseHostOptions(c.args, &error);
    if (c.error) {
      EXPECT_FALSE(options);
      EXPECT_EQ(error, c.error);
      continue;
    }
    ASSERT_TRUE(options) << error;
    ASSERT_EQ(options->screenshots.size(), c.shots.size());
    for (size_t i = 0; i < c.shots.size(); ++i) {
      EXPECT_EQ(options->screenshots[i].file, c.shots[i].file);
      EXPECT_EQ(options->screenshots[i].seconds, c.shots[i].seconds);
    }
    EXPECT_EQ(options->LeaveAfter(), c.leave);
    EXPECT_EQ(options->quitAfter, c.quit);
  }
}

TEST(HostOptionsTest, UsageDescribesEveryOptionTheParserKnows) {
  const std::wstring usage = HostUsage();
  for (const wchar_t* name :
       {L"--server",           L"--port",       L"--transport",  L"--live-alias", L"--file",     L"--playlist",
        L"--live-direct",      L"--live-local", L"--session-id", L"--aspect",     L"--flow-bar", L"--logo",
        L"--message-boxes",    L"--size",       L"--resize",     L"--screenshot", L"--after",    L"--quit-after",
        L"--print-properties", L"--log",        L"--help"}) {
    std::wstring error;
    ParseHostOptions({name}, &error);
    EXPECT_NE(error, std::wstring(L"unknown argument ") + name);
    // Described on a line of its own, not only named in the synopsis.
    EXPECT_NE(usage.find(std::wstring(L"\n  ") + name + L" "), std::wstring::npos) << name;
  }
}

}  // namespace
}  // namespace zm::host
