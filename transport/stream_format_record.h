// The session's in-memory StreamFormat record: the DirectShow AM_MEDIA_TYPE layout, its
// format block from the COM task allocator; an owner that fills one from the wire.
#pragma once

#include <windows.h>
#include <strmif.h>

#include "protocol/stream_format_codec.h"

namespace zm::transport {

using StreamFormatRecord = AM_MEDIA_TYPE;

GUID ToWindowsGuid(const protocol::Guid& guid);
protocol::Guid FromWindowsGuid(const GUID& guid);

// The portable description of a record: its media type and a copy of its format block.
protocol::StreamFormat ToStreamFormat(const StreamFormatRecord& record);

// Fills `out` (whose block must be free) with the description and a task-allocator copy of its
// block; false, with `out` empty, when the allocator has no block of that size.
bool ToStreamFormatRecord(const protocol::StreamFormat& format, StreamFormatRecord& out);
// A deep copy: the copy's format block is its own.
bool CopyStreamFormatRecord(const StreamFormatRecord& from, StreamFormatRecord& out);

// Frees the format block and sets its length and pointer to 0.
void FreeFormatBlock(StreamFormatRecord& record);

// The two records a reply fills, video first, whose format blocks go with them.
struct StreamFormatRecordPair {
  StreamFormatRecordPair() = default;
  StreamFormatRecordPair(const StreamFormatRecordPair&) = delete;
  StreamFormatRecordPair& operator=(const StreamFormatRecordPair&) = delete;
  ~StreamFormatRecordPair() {
    for (StreamFormatRecord& record : records) FreeFormatBlock(record);
  }
  StreamFormatRecord records[2] = {};
};

// Owns one record and its format block until Release hands both over.
class UniqueStreamFormatRecord {
 public:
  UniqueStreamFormatRecord() = default;
  ~UniqueStreamFormatRecord() { FreeFormatBlock(m_record); }
  UniqueStreamFormatRecord(const UniqueStreamFormatRecord&) = delete;
  UniqueStreamFormatRecord& operator=(const UniqueStreamFormatRecord&) = delete;

  // Takes the media type of a decoded header and allocates its format block: returns where
  // the block's bytes go, nullptr when the length is 0 or the allocator has no such block.
  uint8_t* Fill(const protocol::StreamFormatHeader& header);
  const StreamFormatRecord& get() const { return m_record; }
  // Moves the record, block and all, into `out`.
  void Release(StreamFormatRecord& out);

 private:
  StreamFormatRecord m_record{};
};

}  // namespace zm::transport
