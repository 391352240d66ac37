// A client's request text taken apart: protocol version, resource kind and names, the
// authentication suffix and, when the server allows it, the fault suffix ("#..." at the end
// of the resource name). Pure functions, called on the connection's thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/player_enums.h"
#include "protocol/reply_codec.h"

namespace zms {

using ResourceKind = zm::protocol::ResourceKind;

struct MediaRequest {
  uint32_t protocolVersion = zm::protocol::kProtocolVersion25;  // 80 with the "/ZAMS80/" prefix
  ResourceKind kind = ResourceKind::LiveLocal;
  std::string name;            // file name, alias or playlist folder, without the fault suffix
  std::string sourceNumber;    // live-direct, live-local
  std::string sourceAddress;   // live-direct
  int playListIndex = 0;       // playlist
  std::string computerSid;     // live-local
  std::string credentialHash;  // "///HASH:" suffix
  std::string sessionId;       // "///SID:" suffix
  std::string faults;          // text after '#', for ParseFaults; only with a fault suffix
};

// Whether a '#' in the resource name starts a fault list (zms-server --allow-fault-suffix) or is
// just a character of the name.
enum class FaultSuffix { Ignored, Taken };

// Parses the request text; on failure returns nothing and a reason for the log.
std::optional<MediaRequest> ParseMediaRequest(std::string_view text, FaultSuffix faultSuffix, std::string* error);

// The request has no terminator, but the client sends it in one write and its grammar says
// where it may end. True while `text` is the beginning of a request that is not whole yet
// ("/ZAMS80/00", "file:", "playlist:2", a name ending in "///HA", a digest shorter than 40
// digits); false once it is whole, or once no more bytes could make it readable.
bool RequestMayGoOn(std::string_view text);

const char* ResourceKindName(ResourceKind kind);

}  // namespace zms
