// A client's request text taken apart: protocol version, resource kind and names, the
// authentication suffix and the fault suffix ("#..." at the end of the resource name).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zms {

enum class ResourceKind { LiveDirect = 1, File = 2, LiveAlias = 3, PlayList = 4, LiveLocal = 5 };

struct MediaRequest {
  uint32_t protocolVersion = 25;  // 80 when the text starts with "/ZAMS80/" and four digits
  ResourceKind kind = ResourceKind::LiveLocal;
  std::string name;           // file name, alias or playlist folder, without the fault suffix
  std::string sourceNumber;   // live-direct, live-local
  std::string sourceAddress;  // live-direct
  int playListIndex = 0;      // playlist
  std::string computerSid;    // live-local
  std::string credentialHash; // "///HASH:" suffix
  std::string sessionId;      // "///SID:" suffix
  std::string faults;         // text after '#', for ParseFaults
};

// Parses the request text; on failure returns nothing and a reason for the log.
std::optional<MediaRequest> ParseMediaRequest(std::string_view text, std::string* error);

const char* ResourceKindName(ResourceKind kind);

}  // namespace zms
