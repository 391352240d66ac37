#include "protocol/guid.h"

#include <cstdio>

#include "protocol/wire_field.h"

namespace zm::protocol {
namespace {

constexpr WireField kData1{0, 4};
constexpr WireField kData2{4, 2};
constexpr WireField kData3{6, 2};
constexpr WireField kData4{8, 8};
constexpr WireField kGuidFields[] = {kData1, kData2, kData3, kData4};
static_assert(FieldsTile<kGuidWireSize>(kGuidFields));

}  // namespace

void EncodeGuid(const Guid& guid, uint8_t* out) {
  PutField<kData1>(out, guid.data1);
  PutField<kData2>(out, guid.data2);
  PutField<kData3>(out, guid.data3);
  for (size_t i = 0; i < guid.data4.size(); ++i) out[kData4.offset + i] = guid.data4[i];
}

Guid DecodeGuid(const uint8_t* in) {
  Guid guid;
  guid.data1 = GetField<kData1>(in);
  guid.data2 = GetField<kData2>(in);
  guid.data3 = GetField<kData3>(in);
  for (size_t i = 0; i < guid.data4.size(); ++i) guid.data4[i] = in[kData4.offset + i];
  return guid;
}

std::string GuidToString(const Guid& g) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.data1, g.data2, g.data3,
                g.data4[0], g.data4[1], g.data4[2], g.data4[3], g.data4[4], g.data4[5], g.data4[6], g.data4[7]);
  return text;
}

}  // namespace zm::protocol
