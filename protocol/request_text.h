// The request text that opens a session with the media server: the resource part for each
// resource kind in protocol 80 or 25, and the authentication suffix. Pure: callers pass the settings.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/player_enums.h"

namespace zm::protocol {

// Any value outside 1..5 is a live-local request (and is stored back as such).
ResourceKind NormalizeResourceKind(int32_t nResourceKind);

// Wide text in the thread's ANSI code page (WideCharToMultiByte with CP_THREAD_ACP on Windows).
using AnsiEncoder = std::function<std::string(std::u16string_view)>;

// The settings BuildRequest reads (fields of the player, under their names).
struct RequestSettings {
  ResourceKind resourceKind = ResourceKind::LiveLocal;
  int32_t nTransport = 0;
  std::u16string sSourceNumber;    // live-direct, live-local
  std::u16string sSourceAddr;      // live-direct
  std::u16string sFile;            // file
  std::u16string sLiveAlias;       // live-alias
  std::u16string sPlayListFolder;  // playlist
  int32_t nPlayListIndex = 0;      // playlist
  std::u16string sComputerSid;     // live-local: "S-1-5-21-..." of this computer
};

struct RequestText {
  std::string text;  // 8-bit, sent without a terminator
  // The media name the request sets; none for a playlist, whose name comes with the reply.
  std::optional<std::u16string> mediaName;
};

// The resource part. A live-local request is always in the protocol-25 form.
RequestText BuildRequest(const RequestSettings& settings, ProtocolVersion protocol, const AnsiEncoder& toAnsi);

// The settings BuildAuthSuffix reads. In password-hash mode the caller has already looked an
// empty hash up in the credential store; a hash still empty means no suffix.
struct AuthSettings {
  AuthMode mode = AuthMode::PasswordHash;
  std::string sCredentialHash;  // 40 hex digits, or empty
  std::u16string sSessionID;
};

// "///HASH:" + hash, "///SID:" + session id, or empty. Never appended to a live-local request.
std::string BuildAuthSuffix(const AuthSettings& settings, const AnsiEncoder& toAnsi);

}  // namespace zm::protocol
