// zmhost shows the idle control with its logo where the layout puts it: screenshots of two
// window shapes and two logo proportions, black bars where the layout leaves them, a control
// sized to 0 x 0 and back, the events it prints, its timed steps and log, and its command line.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "com/code_page_text.h"
#include "control_client.h"
#include "host_process.h"
#include "peers/host/image_file.h"

namespace zm::tests {
namespace {

using host::Image;

struct Extent {
  long width = 0, height = 0;  // HIMETRIC, as the picture reports it
};

struct Placement {
  int x = 0, y = 0, width = 0, height = 0;
};

Extent PictureExtent(const std::wstring& path) {
  Extent extent;
  ComPtr<IPicture> picture;
  if (FAILED(OleLoadPicturePath(const_cast<LPOLESTR>(path.c_str()), nullptr, 0, 0, IID_IPicture, picture.put_void())))
    return extent;
  picture->get_Width(&extent.width);
  picture->get_Height(&extent.height);
  return extent;
}

// Where an idle control without flow bar puts a logo of `logo` in a cx x cy window: the logo's
// proportions kept, the view as wide or as tall as the window, centred.
Placement ExpectedLogo(int cx, int cy, Extent logo) {
  const float windowRatio = static_cast<float>(cx) / static_cast<float>(cy);
  const float ratio = static_cast<float>(logo.width) / static_cast<float>(logo.height);
  Placement p{0, 0, cx, cy};
  if (ratio < windowRatio) p.width = static_cast<int>(static_cast<double>(cy) * ratio);
  else if (ratio > windowRatio) p.height = static_cast<int>(static_cast<long long>(cx) * logo.height / logo.width);
  p.x = p.width < cx ? (cx - p.width) / 2 : 0;
  p.y = cy - p.height > 0 ? (cy - p.height) / 2 : 0;
  return p;
}

std::wstring TempPath(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  return std::wstring(folder) + L"zm_host_" + std::to_wstring(GetCurrentProcessId()) + L"_" + name;
}

std::optional<Image> Screenshot(const std::wstring& arguments, const wchar_t* name) {
  std::wstring file = TempPath(name);
  HostRun run = RunHost(arguments + L" --screenshot \"" + file + L"\" --after 0.5");
  EXPECT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  std::ifstream in(std::filesystem::path(file), std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  DeleteFileW(file.c_str());
  return host::DecodeBmp(bytes);
}

constexpr uint32_t kBlack = 0x000000;

// Black outside the placement on every side the layout leaves a bar, and `inside` true for
// the pixels just within each edge of the placement.
template <class Inside>
void ExpectLogoAt(const Image& shot, const Placement& p, Inside inside) {
  ASSERT_GT(p.width, 4);
  ASSERT_GT(p.height, 4);
  const int midX = p.x + p.width / 2, midY = p.y + p.height / 2;
  const int left = p.x + 1, right = p.x + p.width - 2, top = p.y + 1, bottom = p.y + p.height - 2;
  for (auto [x, y] : {std::pair{left, top}, {right, top}, {left, bottom}, {right, bottom}, {midX, top}, {left, midY}})
    EXPECT_TRUE(inside(shot.At(x, y))) << "logo pixel at " << x << "," << y << " is " << std::hex << shot.At(x, y);
  if (p.y > 0) {
    EXPECT_EQ(shot.At(midX, p.y - 1), kBlack);
    EXPECT_EQ(shot.At(midX, 0), kBlack);
    EXPECT_EQ(shot.At(midX, p.y + p.height), kBlack);
    EXPECT_EQ(shot.At(p.x + 2, shot.height - 1), kBlack);
  }
  if (p.x > 0) {
    EXPECT_EQ(shot.At(p.x - 1, midY), kBlack);
    EXPECT_EQ(shot.At(0, midY), kBlack);
    EXPECT_EQ(shot.At(p.x + p.width, midY), kBlack);
    EXPECT_EQ(shot.At(shot.width - 1, p.y + 2), kBlack);
  }
}

// The default logo's edges are its deep blue background.
bool IsLogoBlue(uint32_t pixel) {
  const int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
  return b > 0x70 && b > r + 0x40 && b > g + 0x20;
}

constexpr uint32_t kTallLogoColour = 0xC82828;

// A plain 100 x 200 bitmap: a logo twice as tall as wide, with edges that do not blur.
std::wstring WriteTallLogo() {
  Image logo{100, 200, std::vector<uint32_t>(100 * 200, kTallLogoColour)};
  std::wstring path = TempPath(L"tall_logo.bmp");
  EXPECT_TRUE(host::WriteImageFile(com::WideToCodePage(path, CP_ACP), logo));
  return path;
}

class HostScreenshotTest : public testing::Test {
 protected:
  void SetUp() override {
    defaultLogo = PictureExtent(ProgramFolder() + L"zavren.jpg");
    ASSERT_GT(defaultLogo.width, defaultLogo.height) << "a wide zavren.jpg beside the control";
  }
  Extent defaultLogo;
};

// The wide default logo letterboxed in a 4:3 window and pillarboxed in a 4:1 one; a tall logo
// pillarboxed up to its edge columns.
TEST_F(HostScreenshotTest, LogoKeepsItsProportionsWithBlackBarsWhereTheWindowShapeLeavesThem) {
  const std::wstring tall = WriteTallLogo();
  const struct {
    int width, height;
    bool wide, barsAboveAndBelow;
  } cases[] = {{400, 300, true, true}, {600, 150, true, false}, {400, 300, false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << (c.wide ? " wide" : " tall"));
    const std::wstring size = std::to_wstring(c.width) + L"x" + std::to_wstring(c.height);
    std::optional<Image> shot =
        Screenshot((c.wide ? L"" : L"--logo \"" + tall + L"\" ") + L"--size " + size, L"logo.bmp");
    ASSERT_TRUE(shot);
    ASSERT_EQ(shot->width, c.width);
    ASSERT_EQ(shot->height, c.height);
    const Extent extent = c.wide ? defaultLogo : PictureExtent(tall);
    ASSERT_NE(c.wide, extent.height > extent.width);
    const Placement p = ExpectedLogo(c.width, c.height, extent);
    EXPECT_EQ(c.barsAboveAndBelow ? p.width : p.height, c.barsAboveAndBelow ? c.width : c.height);
    EXPECT_LT(c.barsAboveAndBelow ? p.height : p.width, c.barsAboveAndBelow ? c.height : c.width);
    if (c.wide) {
      ExpectLogoAt(*shot, p, IsLogoBlue);
    } else {
      ExpectLogoAt(*shot, p, [](uint32_t pixel) { return pixel == kTallLogoColour; });
      EXPECT_EQ(shot->At(p.x, 150), kTallLogoColour);
      EXPECT_EQ(shot->At(p.x + p.width - 1, 150), kTallLogoColour);
    }
  }
  DeleteFileW(tall.c_str());
}

TEST_F(HostScreenshotTest, ControlSizedToNothingAndBackShowsTheSamePicture) {
  std::optional<Image> plain = Screenshot(L"--size 400x300", L"plain.bmp");
  std::optional<Image> through =
      Screenshot(L"--size 400x300 --resize 0x0 --resize 400x0 --resize 0x300 --resize 400x300", L"through_zero.bmp");
  ASSERT_TRUE(plain && through);
  EXPECT_TRUE(plain->pixels == through->pixels);
  ExpectLogoAt(*through, ExpectedLogo(400, 300, defaultLogo), IsLogoBlue);
}

TEST(HostProgramTest, BadCommandLinesAreRefusedWithUsageAndHelpIsNot) {
  for (const wchar_t* args : {L"--transport carrier-pigeon", L"--size 400", L"--screenshot x.png", L"--bogus"}) {
    HostRun run = RunHost(args);
    EXPECT_EQ(run.exitCode, 2u) << args;
    EXPECT_NE(run.output.find("usage: zmhost"), std::string::npos) << run.output;
  }
  HostRun help = RunHost(L"--help");
  EXPECT_EQ(help.exitCode, 0u);
  EXPECT_EQ(help.output.rfind("usage: zmhost", 0), 0u) << help.output;
}

// Each line in turn: the error event of a Play without server and Play's result; screenshots in
// the order of their times, whatever the command line's; Stop at --quit-after (the idle control
// has nothing to stop, so no OnStop is awaited). The log holds the same lines.
TEST(HostProgramTest, TimedScreenshotsThenStopWithEveryLineInTheLog) {
  std::wstring early = TempPath(L"early.png"), late = TempPath(L"late.bmp"), log = TempPath(L"events.log");
  HostRun run = RunHost(L"--file clip.zmf --transport http --size 320x200 --print-properties --log \"" + log +
                        L"\" --screenshot \"" + late + L"@0.6\" --screenshot \"" + early + L"@0.3\" --quit-after 0.6");
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  std::string expected = "OnError 1 1001\nPlay 0x00000001\nscreenshot " + com::WideToCodePage(early, CP_ACP) +
                         " 320x200\nscreenshot " + com::WideToCodePage(late, CP_ACP) + " 320x200\nStop 0x00000001\n";
  run.output.erase(std::remove(run.output.begin(), run.output.end(), '\r'), run.output.end());
  EXPECT_EQ(run.output, expected);
  std::ifstream in(std::filesystem::path(log), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), expected);
  in.close();
  for (const std::wstring& file : {early, late, log}) EXPECT_TRUE(DeleteFileW(file.c_str())) << file.size();
}

}  // namespace
}  // namespace zm::tests
