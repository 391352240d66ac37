#include "protocol/request_text.h"

#include "protocol/name_markers.h"

#include <algorithm>
#include <utility>

#include "protocol/url_encode.h"
#include "protocol/utf8_text.h"

namespace zm::protocol {

namespace {

// "&" would end the name for the server's parser; it travels as "*" instead.
template <typename Text>
Text AmpersandsToAsterisks(Text text) {
  std::replace(text.begin(), text.end(), '&', '*');
  return text;
}

// A name of a file, alias or playlist folder as it goes on the wire.
std::string EncodeName(std::u16string_view name, const RequestSettings& settings, ProtocolVersion protocol,
                       const AnsiEncoder& toAnsi) {
  std::u16string text = settings.nTransport == Http ? URLEncode(name) : std::u16string(name);
  text = AmpersandsToAsterisks(std::move(text));
  return protocol == ProtocolVersion::V80 ? Utf16ToUtf8(text) : toAnsi(text);
}

std::string Prefixed(ProtocolVersion protocol, std::string_view kindText) {
  std::string text;
  if (protocol == ProtocolVersion::V80) {
    text = kProtocol80Prefix;
    text += kProtocol80Digits;
  }
  text += kindText;
  return text;
}

}  // namespace

ResourceKind NormalizeResourceKind(int32_t nResourceKind) {
  if (nResourceKind >= 1 && nResourceKind <= 4) return static_cast<ResourceKind>(nResourceKind);
  return ResourceKind::LiveLocal;
}

RequestText BuildRequest(const RequestSettings& settings, ProtocolVersion protocol, const AnsiEncoder& toAnsi) {
  RequestText request;
  switch (settings.resourceKind) {
    case ResourceKind::LiveDirect: {
      std::u16string source = settings.sSourceNumber + u"@" + settings.sSourceAddr;
      request.text = Prefixed(protocol, "live-direct:") + toAnsi(source);
      request.mediaName = std::move(source);
      break;
    }
    case ResourceKind::File:
      request.text = Prefixed(protocol, "file:") + EncodeName(settings.sFile, settings, protocol, toAnsi);
      request.mediaName = settings.sFile;
      break;
    case ResourceKind::LiveAlias:
      request.text = Prefixed(protocol, "live-alias:") + EncodeName(settings.sLiveAlias, settings, protocol, toAnsi);
      request.mediaName = settings.sLiveAlias;
      break;
    case ResourceKind::FilePlayList:
      request.text = Prefixed(protocol, "playlist:" + std::to_string(settings.nPlayListIndex) + ":") +
                     EncodeName(settings.sPlayListFolder, settings, protocol, toAnsi);
      break;
    case ResourceKind::LiveLocal:
    default:
      request.text =
          toAnsi(settings.sSourceNumber + std::u16string(kComputerSidMarker.begin(), kComputerSidMarker.end()) +
                 settings.sComputerSid);
      request.mediaName = settings.sSourceNumber;
      break;
  }
  return request;
}

std::string BuildAuthSuffix(const AuthSettings& settings, const AnsiEncoder& toAnsi) {
  if (settings.mode == AuthMode::SessionId)
    return AmpersandsToAsterisks(std::string(kSessionIdMarker) + toAnsi(settings.sSessionID));
  if (settings.sCredentialHash.empty()) return {};
  return AmpersandsToAsterisks(std::string(kHashMarker) + settings.sCredentialHash);
}

}  // namespace zm::protocol
