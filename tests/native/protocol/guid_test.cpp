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

// The audio type, PCM and the wave format are written out byte for byte in the stream format
// codec's golden record; the others are here.
TEST(GuidText, WellKnownConstantsHaveTheirRegisteredValuesAndOnlyTheAllZeroGuidIsNull) {
  EXPECT_EQ("{73646976-0000-0010-8000-00AA00389B71}", GuidToString(MEDIATYPE_Video));
  EXPECT_EQ("{05589F80-C356-11CE-BF01-00AA0055595A}", GuidToString(FORMAT_VideoInfo));
  EXPECT_EQ("{F72A76A0-EB0A-11D0-ACE4-0000C0CC16BA}", GuidToString(FORMAT_VideoInfo2));
  Guid almost;
  almost.data4[7] = 1;
  EXPECT_TRUE(GUID_NULL.IsNull() && !MEDIATYPE_Video.IsNull() && !almost.IsNull());
}

}  // namespace
}  // namespace zm::protocol
