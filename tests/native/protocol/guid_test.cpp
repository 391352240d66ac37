#include "protocol/guid.h"

#include <gtest/gtest.h>

#include <cstring>

#include "protocol/media_type_guids.h"

namespace zm::protocol {
namespace {

TEST(GuidWireForm, FirstThreeFieldsAreLittleEndianAndData4KeepsItsOrder) {
  uint8_t bytes[16] = {};
  EncodeGuid(MEDIASUBTYPE_RGB32, bytes);
  const uint8_t expected[16] = {0x7E, 0xEB, 0x36, 0xE4, 0x4F, 0x52, 0xCE, 0x11,
                                0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70};
  EXPECT_EQ(0, memcmp(bytes, expected, 16));
  EXPECT_EQ(MEDIASUBTYPE_RGB32, DecodeGuid(expected));
}

TEST(GuidText, WellKnownConstantsHaveTheirRegisteredValues) {
  EXPECT_EQ("{73646976-0000-0010-8000-00AA00389B71}", GuidToString(MEDIATYPE_Video));
  EXPECT_EQ("{73647561-0000-0010-8000-00AA00389B71}", GuidToString(MEDIATYPE_Audio));
  EXPECT_EQ("{00000001-0000-0010-8000-00AA00389B71}", GuidToString(MEDIASUBTYPE_PCM));
  EXPECT_EQ("{E436EB7E-524F-11CE-9F53-0020AF0BA770}", GuidToString(MEDIASUBTYPE_RGB32));
  EXPECT_EQ("{05589F80-C356-11CE-BF01-00AA0055595A}", GuidToString(FORMAT_VideoInfo));
  EXPECT_EQ("{05589F81-C356-11CE-BF01-00AA0055595A}", GuidToString(FORMAT_WaveFormatEx));
  EXPECT_EQ("{F72A76A0-EB0A-11D0-ACE4-0000C0CC16BA}", GuidToString(FORMAT_VideoInfo2));
}

TEST(GuidNull, OnlyTheAllZeroGuidIsNull) {
  EXPECT_TRUE(GUID_NULL.IsNull());
  EXPECT_FALSE(MEDIATYPE_Video.IsNull());
  Guid almost;
  almost.data4[7] = 1;
  EXPECT_FALSE(almost.IsNull());
}

}  // namespace
}  // namespace zm::protocol
