#include "transport/stream_format_record.h"

#include <objbase.h>

#include <cstring>

#include "transport/task_mem_block.h"

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

Guid FromWindowsGuid(const GUID& guid) {
  Guid out;
  out.data1 = guid.Data1;
  out.data2 = guid.Data2;
  out.data3 = guid.Data3;
  for (size_t i = 0; i < 8; ++i) out.data4[i] = guid.Data4[i];
  return out;
}

StreamFormat ToStreamFormat(const StreamFormatRecord& record) {
  StreamFormat format;
  format.type.majorType = FromWindowsGuid(record.majortype);
  format.type.subType = FromWindowsGuid(record.subtype);
  format.type.fixedSizeSamples = static_cast<uint32_t>(record.bFixedSizeSamples);
  format.type.temporalCompression = static_cast<uint32_t>(record.bTemporalCompression);
  format.type.sampleSize = record.lSampleSize;
  format.type.formatType = FromWindowsGuid(record.formattype);
  if (record.pbFormat && record.cbFormat) format.formatBlock.assign(record.pbFormat, record.pbFormat + record.cbFormat);
  return format;
}

bool ToStreamFormatRecord(const StreamFormat& format, StreamFormatRecord& out) {
  UniqueStreamFormatRecord record;
  const StreamFormatHeader header{format.type, static_cast<uint32_t>(format.formatBlock.size())};
  uint8_t* block = record.Fill(header);
  if (!format.formatBlock.empty() && !block) {
    out = StreamFormatRecord{};
    return false;
  }
  if (block) std::memcpy(block, format.formatBlock.data(), format.formatBlock.size());
  record.Release(out);
  return true;
}

bool CopyStreamFormatRecord(const StreamFormatRecord& from, StreamFormatRecord& out) {
  return ToStreamFormatRecord(ToStreamFormat(from), out);
}

void FreeFormatBlock(StreamFormatRecord& record) {
  CoTaskMemFree(record.pbFormat);
  record.pbFormat = nullptr;
  record.cbFormat = 0;
}

uint8_t* UniqueStreamFormatRecord::Fill(const StreamFormatHeader& header) {
  FreeFormatBlock(m_record);
  m_record.majortype = ToWindowsGuid(header.type.majorType);
  m_record.subtype = ToWindowsGuid(header.type.subType);
  m_record.bFixedSizeSamples = static_cast<WINBOOL>(header.type.fixedSizeSamples);
  m_record.bTemporalCompression = static_cast<WINBOOL>(header.type.temporalCompression);
  m_record.lSampleSize = header.type.sampleSize;
  m_record.formattype = ToWindowsGuid(header.type.formatType);
  m_record.pUnk = nullptr;
  if (header.formatLength == 0) return nullptr;
  TaskMemBlock block = AllocateTaskMem(header.formatLength);
  if (!block) return nullptr;
  m_record.cbFormat = header.formatLength;
  m_record.pbFormat = block.detach();
  return m_record.pbFormat;
}

void UniqueStreamFormatRecord::Release(StreamFormatRecord& out) {
  out = m_record;
  m_record.pbFormat = nullptr;
  m_record.cbFormat = 0;
}

}  // namespace zm::transport
