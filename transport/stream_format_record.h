// The session's in-memory StreamFormat record: the DirectShow AM_MEDIA_TYPE layout, its
// format block from the COM task allocator. Helpers to fill it from the wire and free it.
#pragma once

#include <windows.h>
#include <strmif.h>

#include "protocol/stream_format_codec.h"

namespace zm::transport {

using StreamFormatRecord = AM_MEDIA_TYPE;

GUID ToWindowsGuid(const protocol::Guid& guid);

// Copies the media type fields of a decoded header; the pointers are left to the caller.
void FillStreamFormatRecord(const protocol::StreamFormatHeader& header, StreamFormatRecord& record);

// Frees the format block and sets its length and pointer to 0.
void FreeFormatBlock(StreamFormatRecord& record);

}  // namespace zm::transport
