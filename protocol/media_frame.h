// The MediaFrame record as it travels in memory from the transport through the frame path
// to the renderer: the 40 wire bytes, with `data` pointing at the task-allocator payload.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zm {

struct MediaFrame {
  uint32_t streamType;  // 1 audio, 2 video
  uint16_t flags;
  uint16_t itemIndex;
  int64_t time;      // 100-ns units
  int64_t stopTime;  // 100-ns units
  uint8_t keyFrame;
  uint8_t hasNewFormat;
  uint16_t tag;
  uint32_t length;  // payload bytes; 0 marks the end of a stream
  uint8_t* data;    // CoTaskMemAlloc'd payload, owned by whoever holds the record
  uint32_t reserved1;
};

#if defined(_WIN32) && !defined(_WIN64)
// The renderer reads the record with this layout; it must not drift.
static_assert(sizeof(MediaFrame) == 40, "MediaFrame must be 40 bytes at 32 bits");
static_assert(offsetof(MediaFrame, time) == 8 && offsetof(MediaFrame, keyFrame) == 24);
static_assert(offsetof(MediaFrame, length) == 28 && offsetof(MediaFrame, data) == 32);
static_assert(offsetof(MediaFrame, reserved1) == 36);
#endif

}  // namespace zm
