#include "transport/stream_format_record.h"

#include <objbase.h>

namespace zm::transport {

using namespace protocol;

GUID ToWindowsGuid(const Guid& guid) {
  GUID out;
  out.Data1 = guid.data1;
  out.Data2 = guid.data2;
  out.Data3 = guid.data3;
  for (size_t i = 0; i < 8; ++i) out.Data4[i] = guid.data4[i];
  return out;
}

void FillStreamFormatRecord(const StreamFormatHeader& header, StreamFormatRecord& record) {
  record.majortype = ToWindowsGuid(header.type.majorType);
  record.subtype = ToWindowsGuid(header.type.subType);
  record.bFixedSizeSamples = static_cast<WINBOOL>(header.type.fixedSizeSamples);
  record.bTemporalCompression = static_cast<WINBOOL>(header.type.temporalCompression);
  record.lSampleSize = header.type.sampleSize;
  record.formattype = ToWindowsGuid(header.type.formatType);
  record.pUnk = nullptr;
}

void FreeFormatBlock(StreamFormatRecord& record) {
  CoTaskMemFree(record.pbFormat);
  record.pbFormat = nullptr;
  record.cbFormat = 0;
}

}  // namespace zm::transport
