// Reply, frame and string bytes for the scripted peer, built with the portable encoders.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "protocol/format_blocks.h"
#include "protocol/media_frame_codec.h"
#include "protocol/media_type_guids.h"
#include "protocol/reply_codec.h"
#include "protocol/string_codec.h"

namespace zm::tests {

inline std::string AsText(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

// An accepted reply with a video stream (a VIDEOINFOHEADER) and no audio stream.
inline std::vector<uint8_t> VideoOnlyReply(uint32_t version, size_t extensionBytes = 0) {
  protocol::ServerReply reply;
  reply.protocolVersion = version;
  reply.status.resourceKind = 1;
  reply.extension.assign(extensionBytes, 0x5A);
  reply.formats[0].type.majorType = protocol::MEDIATYPE_Video;
  reply.formats[0].type.subType = protocol::MEDIASUBTYPE_RGB32;
  reply.formats[0].type.formatType = protocol::FORMAT_VideoInfo;
  protocol::VideoInfoHeader info;
  info.bitmap.width = 8;
  info.bitmap.height = 6;
  info.bitmap.bitCount = 32;
  reply.formats[0].formatBlock = protocol::EncodeVideoInfoHeader(info);
  return protocol::EncodeServerReply(reply);
}

inline std::vector<uint8_t> FrameBytes(uint32_t streamType, const std::string& payload, int64_t time = 0) {
  protocol::MediaFrame frame;
  frame.header.streamType = streamType;
  frame.header.time = time;
  frame.header.keyFrame = 1;
  frame.payload.assign(payload.begin(), payload.end());
  std::vector<uint8_t> out;
  protocol::AppendMediaFrame(frame, out);
  return out;
}

inline std::vector<uint8_t> StringBytes(const std::string& bytes) {
  std::vector<uint8_t> out;
  protocol::AppendWireString(bytes, out);
  return out;
}

}  // namespace zm::tests
