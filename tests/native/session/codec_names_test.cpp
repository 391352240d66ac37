// Codec names: the FourCC rule at its byte bounds, both tables at their ends and between rows,
// and which table a format-tag subtype is named from. The rows themselves are data.
#include "session/codec_names.h"

#include <gtest/gtest.h>

#include "protocol/media_type_guids.h"

namespace zm::session {
namespace {

using protocol::FourCCGuid;
using protocol::Guid;
using protocol::kRgbSubtypeTail;
constexpr std::array<uint8_t, 8> kOtherTail{1, 2, 3, 4, 5, 6, 7, 8};

TEST(CodecNamesTest, FourCCThenSubtypeTableThenFormatTagTable) {
  const std::pair<Guid, const char*> found[] = {
      {FourCCGuid(0x34363248), "H264"},          // bytes 'H' '2' '6' '4'
      {{0x7A30307A, 9, 9, kOtherTail}, "z00z"},  // '0' and 'z' are inside, whatever follows
      {FourCCGuid(0x0000000A), "WMSP1"},         // first subtype row
      {{0xFE44A9FE, 0x8ED4, 0x48BF, {0x9D, 0x66, 0x1B, 0x1A, 0xDF, 0xF9, 0xFF, 0x6D}}, "Voxware VR12"},  // last
      {{0xE436EB7E, 0x524F, 0x11CE, kRgbSubtypeTail}, "RGB32"},
      {{0xE436EB80, 0x524F, 0x11CE, kRgbSubtypeTail}, "MPEG1 Packet"},
      {FourCCGuid(0x000000FF), "AAC"},          // the subtype table, not the tags
      {FourCCGuid(0x00000050), "MPEG1 Audio"},  // the tags would say "MS MPEG"
      {FourCCGuid(0x00000001), "PCM"},          // first tag
      {FourCCGuid(0x00000031), "MS GSM 6.10"},
      {FourCCGuid(0x0000704F), "Opus"},  // last tag
  };
  for (const auto& [subtype, name] : found) {
    EXPECT_EQ(CodecNameFromSubtype(subtype), std::optional<std::string>(name)) << protocol::GuidToString(subtype);
  }
  EXPECT_EQ(CodecDisplayName(FourCCGuid(0x00000001)), L"PCM");
}

TEST(CodecNamesTest, NoNameOutsideTheRowsOrTheFormatTagForm) {
  Guid pcmWrongData2 = FourCCGuid(1), pcmWrongData3 = FourCCGuid(1), pcmWrongTail = FourCCGuid(1);
  pcmWrongData2.data2 = 1;
  pcmWrongData3.data3 = 0x0011;
  pcmWrongTail.data4[7] = 0x72;
  const Guid missing[] = {
      Guid{},                                                                          // below every row
      {0xFFFFFFFF, 0xFFFF, 0xFFFF, kOtherTail},                                        // above every row
      {0x3436322F, 0, 0x0010, protocol::kFourCCGuidTail},                              // '/' is below '0'
      {0x7B363248, 0, 0, kOtherTail},                                                  // '{' is above 'z'
      {0xE436EB7F, 0x524F, 0x11CE, kRgbSubtypeTail},                                   // between two rows
      {0xE436EB7E, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x71}},  // last byte differs
      FourCCGuid(0),
      FourCCGuid(0x0000704E),
      FourCCGuid(0x00007050),
      FourCCGuid(0x0000FFFF),
      pcmWrongData2,
      pcmWrongData3,
      pcmWrongTail,
  };
  for (const Guid& subtype : missing)
    EXPECT_EQ(CodecNameFromSubtype(subtype), std::nullopt) << protocol::GuidToString(subtype);
  EXPECT_EQ(CodecDisplayName(Guid{}), L"Unknown codec");
}

}  // namespace
}  // namespace zm::session
