// Codec names: the FourCC rule at its byte bounds, both tables at their ends and between rows,
// and which table names a format-tag subtype. The rows themselves are data.
#include "session/codec_names.h"

#include <gtest/gtest.h>

#include "protocol/media_type_guids.h"

namespace zm::session {
namespace {

using protocol::FourCCGuid;
using protocol::Guid;
constexpr auto kRgb = protocol::kRgbSubtypeTail, kTag = protocol::kFourCCGuidTail;
constexpr std::array<uint8_t, 8> kOther{1, 2, 3, 4, 5, 6, 7, 8},
    kRgbLastByteOff{0x9F, 0x53, 0, 0x20, 0xAF, 0x0B, 0xA7, 0x71};

TEST(CodecNamesTest, FourCCThenSubtypeRowThenFormatTagRowElseNone) {
  const std::pair<Guid, const char*> cases[] = {
      {FourCCGuid(0x34363248), "H264"},
      {{0x7A30307A, 9, 9, kOther}, "z00z"},  // '0' and 'z' count, whatever follows
      {{0x3436322F, 0, 0x10, kTag}, nullptr},
      {{0x7B363248, 0, 0, kOther}, nullptr},  // '/' and '{' do not
      {FourCCGuid(0x0A), "WMSP1"},
      {{0xFE44A9FE, 0x8ED4, 0x48BF, {0x9D, 0x66, 0x1B, 0x1A, 0xDF, 0xF9, 0xFF, 0x6D}}, "Voxware VR12"},
      {Guid{}, nullptr},
      {{0xFFFFFFFF, 0xFFFF, 0xFFFF, kOther}, nullptr},  // below the first row, above the last
      {{0xE436EB7E, 0x524F, 0x11CE, kRgb}, "RGB32"},
      {{0xE436EB7F, 0x524F, 0x11CE, kRgb}, nullptr},  // between two rows
      {{0xE436EB7E, 0x524F, 0x11CE, kRgbLastByteOff}, nullptr},
      {FourCCGuid(0xFF), "AAC"},
      {FourCCGuid(0x50), "MPEG1 Audio"},  // the subtype row wins over the tag row
      {FourCCGuid(0x01), "PCM"},
      {FourCCGuid(0x704F), "Opus"},
      {FourCCGuid(0), nullptr},
      {FourCCGuid(0x704E), nullptr},
      {FourCCGuid(0x7050), nullptr},
      {{1, 1, 0x10, kTag}, nullptr},  // a tag row, but not the format-tag form
      {{1, 0, 0x11, kTag}, nullptr},
      {{1, 0, 0x10, {0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x72}}, nullptr},
  };
  for (const auto& [subtype, name] : cases) {
    EXPECT_EQ(CodecNameFromSubtype(subtype), name ? std::optional<std::string>(name) : std::nullopt)
        << protocol::GuidToString(subtype);
  }
  EXPECT_EQ(CodecDisplayName(FourCCGuid(1)), L"PCM");
  EXPECT_EQ(CodecDisplayName(Guid{}), L"Unknown codec");
}

}  // namespace
}  // namespace zm::session
