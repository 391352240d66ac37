#include "session/codec_names.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "protocol/media_type_guids.h"

namespace zm::session {
namespace {

using protocol::FourCCGuid;
using protocol::Guid;

struct SubtypeName {
  Guid subtype;
  std::string_view name;
};

struct FormatTagName {
  uint32_t tag;
  std::string_view name;
};

// Data1 unsigned, then Data2, Data3 and the bytes of Data4 in order.
constexpr bool GuidLess(const Guid& a, const Guid& b) {
  if (a.data1 != b.data1) return a.data1 < b.data1;
  if (a.data2 != b.data2) return a.data2 < b.data2;
  if (a.data3 != b.data3) return a.data3 < b.data3;
  return a.data4 < b.data4;
}

// clang-format off
constexpr std::array<SubtypeName, 39> kSubtypeNames{{
    {FourCCGuid(0x0000000A), "WMSP1"},
    {FourCCGuid(0x00000050), "MPEG1 Audio"},
    {FourCCGuid(0x00000055), "MP3"},
    {FourCCGuid(0x000000FF), "AAC"},
    {FourCCGuid(0x00000130), "ACELPnet"},
    {FourCCGuid(0x00000161), "WMA"},
    {FourCCGuid(0x00000162), "WMA9 Pro"},
    {FourCCGuid(0x00000163), "WMA Lossless"},
    {FourCCGuid(0x00000215), "DV Audio NTSC"},
    {FourCCGuid(0x00000216), "DV Audio PAL"},
    {{0x24768C60, 0x5A0D, 0x11D3, {0x9B, 0xE4, 0x52, 0x54, 0x00, 0xD9, 0x85, 0xE7}}, "GSM"},
    {{0x297C55AF, 0xE209, 0x4CB3, {0xB7, 0x57, 0xC7, 0x6D, 0x6B, 0x9C, 0x88, 0xA8}}, "ARGB1555"},
    {{0x53DEF900, 0x7168, 0x4633, {0xB4, 0x7F, 0xD1, 0x43, 0x91, 0x6A, 0x13, 0xC7}}, "Voxware SC06"},
    {{0x699B52C1, 0xA885, 0x46A8, {0xA3, 0x08, 0x97, 0x17, 0x24, 0x19, 0xAD, 0xC7}}, "MS-ADPCM"},
    {{0x6E6415E6, 0x5C24, 0x425F, {0x93, 0xCD, 0x80, 0x10, 0x2B, 0x3D, 0x1C, 0xCA}}, "ARGB4444"},
    {{0x773C9AC0, 0x3274, 0x11D0, {0xB7, 0x24, 0x00, 0xAA, 0x00, 0x6C, 0x1A, 0x01}}, "ARGB32"},
    {{0x7D82A29B, 0x2242, 0x4F82, {0x8F, 0x39, 0x5D, 0x11, 0x53, 0xDF, 0x3E, 0x41}}, "Voxware SC03"},
    {{0x8D2D71CB, 0x243F, 0x45E3, {0xB2, 0xD8, 0x5F, 0xD7, 0x96, 0x7E, 0xC0, 0x9B}}, "H264"},
    {protocol::MEDIASUBTYPE_Opus, "Opus"},
    {{0xCDDCA2D5, 0x6D75, 0x4F98, {0x84, 0x0E, 0x73, 0x7B, 0xED, 0xD5, 0xC6, 0x3B}}, "Vorbis"},
    {{0xE06D8026, 0xDB46, 0x11CF, {0xB4, 0xD1, 0x00, 0x80, 0x5F, 0x6C, 0xBB, 0xEA}}, "MPEG2"},
    {{0xE06D802B, 0xDB46, 0x11CF, {0xB4, 0xD1, 0x00, 0x80, 0x5F, 0x6C, 0xBB, 0xEA}}, "MP3"},
    {{0xE06D802C, 0xDB46, 0x11CF, {0xB4, 0xD1, 0x00, 0x80, 0x5F, 0x6C, 0xBB, 0xEA}}, "AC3"},
    {{0xE436EB78, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}}, "RGB1"},
    {{0xE436EB79, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}}, "RGB4"},
    {{0xE436EB7A, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}}, "RGB8"},
    {{0xE436EB7B, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}}, "RGB565"},
    {{0xE436EB7C, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}}, "RGB555"},
    {{0xE436EB7D, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}}, "RGB24"},
    {{0xE436EB7E, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}}, "RGB32"},
    {{0xE436EB80, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}}, "MPEG1 Packet"},
    {{0xE436EB81, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}}, "MPEG1 Payload"},
    {{0xE436EB82, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}}, "MPEG1 Stream"},
    {{0xE436EB84, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}}, "MPEG1 System"},
    {{0xE436EB85, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}}, "MPEG1 VideoCD"},
    {{0xE436EB86, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}}, "MPEG1 Video"},
    {{0xE436EB87, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}}, "MPEG1 Audio"},
    {{0xE436EB8B, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}}, "Wave"},
    {{0xFE44A9FE, 0x8ED4, 0x48BF, {0x9D, 0x66, 0x1B, 0x1A, 0xDF, 0xF9, 0xFF, 0x6D}}, "Voxware VR12"},
}};

constexpr std::array<FormatTagName, 133> kFormatTagNames{{
    {0x0001, "PCM"},
    {0x0002, "MS-ADPCM"},
    {0x0003, "MS-IEEE-FLOAT"},
    {0x0004, "Compaq"},
    {0x0005, "IBM"},
    {0x0006, "CCITT A-Law"},
    {0x0007, "CCITT U-Law"},
    {0x0008, "DTS"},
    {0x0009, "DRM"},
    {0x0010, "OKI-ADPCM"},
    {0x0011, "IMA-ADPCM"},
    {0x0012, "Videologic"},
    {0x0013, "Sierra"},
    {0x0014, "G723"},
    {0x0015, "DSP Sol"},
    {0x0016, "DSP Sol"},
    {0x0017, "OKI-ADPCM"},
    {0x0018, "MV-ADPCM"},
    {0x0019, "HP"},
    {0x0020, "Yamaha-ADPCM"},
    {0x0021, "Sonarc"},
    {0x0022, "DSP Truesp"},
    {0x0023, "Echo Speech"},
    {0x0024, "Virt music"},
    {0x0025, "Aptx"},
    {0x0026, "Virt music"},
    {0x0027, "Aculab"},
    {0x0028, "LRC"},
    {0x0030, "Dolby AC2"},
    {0x0031, "MS GSM 6.10"},
    {0x0032, "MSN Audio"},
    {0x0033, "Antex-ADPCM"},
    {0x0034, "VQLPC"},
    {0x0035, "DSP Digireal"},
    {0x0036, "DSP DigiADPCM"},
    {0x0037, "RES CR10"},
    {0x0038, "VBX-ADPCM"},
    {0x0039, "CS IMA-ADPCM"},
    {0x003A, "Echo Speech"},
    {0x003B, "Rockwel-ADPCM"},
    {0x003C, "Rockwell DG"},
    {0x003D, "Xebec"},
    {0x0040, "Antex G721"},
    {0x0041, "Antex G728"},
    {0x0042, "MS G723"},
    {0x0050, "MS MPEG"},
    {0x0052, "RT24"},
    {0x0053, "PAC"},
    {0x0055, "MP3"},
    {0x0059, "LC G723"},
    {0x0060, "Cirrus"},
    {0x0061, "ESS-PCM"},
    {0x0062, "Voxware"},
    {0x0063, "Canopus"},
    {0x0064, "APICOM G726"},
    {0x0065, "APICOM G722"},
    {0x0067, "DSAT"},
    {0x0069, "Voxware"},
    {0x0070, "Voxware AC8"},
    {0x0071, "Voxware AC10"},
    {0x0072, "Voxware AC16"},
    {0x0073, "Voxware AC20"},
    {0x0074, "Voxware RT24"},
    {0x0075, "Voxware RT29"},
    {0x0076, "Voxware RT29H"},
    {0x0077, "Voxware VR12"},
    {0x0078, "Voxware VR18"},
    {0x0079, "Voxware TQ40"},
    {0x0080, "Softsound"},
    {0x0081, "Voxware TQ60"},
    {0x0082, "MSRT24"},
    {0x0083, "AT&T G729"},
    {0x0084, "Motion Pixels"},
    {0x0085, "DF G726"},
    {0x0086, "DF GSM 6.10"},
    {0x0088, "ISI Audio"},
    {0x0089, "OnLive! Tech"},
    {0x0091, "SBC 24"},
    {0x0092, "SF AC3 SPDIF"},
    {0x0093, "MedSonic G723"},
    {0x0094, "Aculab"},
    {0x0097, "ZyXEL-ADPCM"},
    {0x0098, "Philips LPCBB"},
    {0x0099, "Studer"},
    {0x00A0, "Malden"},
    {0x0100, "Rhetorx-ADPCM"},
    {0x0101, "BeCubed"},
    {0x0111, "Vivo G723"},
    {0x0112, "Vivo SIREN"},
    {0x0123, "DE G723"},
    {0x0125, "Sanyo-ADPCM"},
    {0x0130, "Sip ACEPLNET"},
    {0x0131, "Sip ACELP4800"},
    {0x0132, "Sip ACELP8V3"},
    {0x0133, "Sip G729"},
    {0x0134, "Sip G729A"},
    {0x0135, "Sip KELVIN"},
    {0x0140, "Dict G726"},
    {0x0150, "Qual PUREVOIC"},
    {0x0151, "Qual HALFRATE"},
    {0x0155, "RZero GSM"},
    {0x0160, "MS Audio1"},
    {0x0170, "Unisys-ADPCM"},
    {0x0171, "Unisys ULAW"},
    {0x0172, "Unisys ALAW"},
    {0x0173, "Unisys 16K"},
    {0x0200, "Creat-ADPCM"},
    {0x0202, "Crt FastSp8"},
    {0x0203, "Crt FastSp10"},
    {0x0210, "UHER-ADPCM"},
    {0x0220, "Quarterdeck"},
    {0x0230, "I-link"},
    {0x0240, "RAW SPORT"},
    {0x0241, "ESS AC3"},
    {0x0250, "IPI HSX"},
    {0x0251, "IPI RPELP"},
    {0x0260, "CS2"},
    {0x0270, "Sony SCX"},
    {0x0300, "Fujitsu"},
    {0x0400, "Brooktree"},
    {0x0450, "QDesign"},
    {0x0680, "AT&T VMPCM"},
    {0x0681, "AT&T TPC"},
    {0x1000, "Oliv GSM"},
    {0x1001, "Oliv-ADPCM"},
    {0x1002, "Oliv CELP"},
    {0x1003, "Oliv SBC"},
    {0x1004, "Oliv OPR"},
    {0x1100, "Lern & Hausp"},
    {0x1400, "Norris"},
    {0x1500, "AT&T Ms"},
    {0x2000, "AC3"},
    {0x704F, "Opus"},
}};
// clang-format on

constexpr bool IsShortAscii(std::string_view name) {
  return !name.empty() && name.size() <= 15 &&
         std::all_of(name.begin(), name.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

constexpr bool SubtypesSorted() {
  for (size_t i = 1; i < kSubtypeNames.size(); ++i)
    if (!GuidLess(kSubtypeNames[i - 1].subtype, kSubtypeNames[i].subtype)) return false;
  return std::all_of(kSubtypeNames.begin(), kSubtypeNames.end(),
                     [](const auto& row) { return IsShortAscii(row.name); });
}

constexpr bool FormatTagsSorted() {
  for (size_t i = 1; i < kFormatTagNames.size(); ++i)
    if (kFormatTagNames[i - 1].tag >= kFormatTagNames[i].tag) return false;
  return std::all_of(kFormatTagNames.begin(), kFormatTagNames.end(),
                     [](const auto& row) { return IsShortAscii(row.name); });
}

// Binary search needs strictly ascending keys; the display code relies on short ASCII names.
static_assert(kSubtypeNames.size() == 39 && SubtypesSorted());
static_assert(kFormatTagNames.size() == 133 && FormatTagsSorted());

bool IsFourCCByte(uint32_t byte) { return byte >= '0' && byte <= 'z'; }

}  // namespace

std::optional<std::string> CodecNameFromSubtype(const Guid& subtype) {
  // The first four bytes in memory order are Data1's, least significant first.
  const uint32_t d = subtype.data1;
  const uint32_t bytes[4] = {d & 0xFF, (d >> 8) & 0xFF, (d >> 16) & 0xFF, d >> 24};
  if (std::all_of(std::begin(bytes), std::end(bytes), IsFourCCByte)) {
    return std::string{static_cast<char>(bytes[0]), static_cast<char>(bytes[1]), static_cast<char>(bytes[2]),
                       static_cast<char>(bytes[3])};
  }
  const auto row = std::lower_bound(kSubtypeNames.begin(), kSubtypeNames.end(), subtype,
                                    [](const SubtypeName& r, const Guid& g) { return GuidLess(r.subtype, g); });
  if (row != kSubtypeNames.end() && row->subtype == subtype) return std::string(row->name);
  if (subtype != FourCCGuid(subtype.data1)) return std::nullopt;
  const auto tag = std::lower_bound(kFormatTagNames.begin(), kFormatTagNames.end(), subtype.data1,
                                    [](const FormatTagName& r, uint32_t t) { return r.tag < t; });
  if (tag != kFormatTagNames.end() && tag->tag == subtype.data1) return std::string(tag->name);
  return std::nullopt;
}

std::wstring CodecDisplayName(const Guid& subtype) {
  const std::optional<std::string> name = CodecNameFromSubtype(subtype);
  if (!name) return kTextUnknownCodec;
  return std::wstring(name->begin(), name->end());
}

}  // namespace zm::session
