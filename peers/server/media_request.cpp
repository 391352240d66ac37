#include "peers/server/media_request.h"

#include "protocol/name_markers.h"

#include <cctype>
#include <charconv>
#include <initializer_list>

#include "protocol/credential_digest.h"

namespace zms {
namespace {

namespace zp = zm::protocol;

using zp::kProtocol80Prefix;
constexpr size_t kProtocol80Digits = zp::kProtocol80Digits.size();
constexpr std::string_view kHashSuffix = zp::kHashMarker;
constexpr std::string_view kSidSuffix = zp::kSessionIdMarker;
constexpr std::string_view kCompSid = zp::kComputerSidMarker;
constexpr std::string_view kLiveDirect = "live-direct:";
constexpr std::string_view kFile = "file:";
constexpr std::string_view kLiveAlias = "live-alias:";
constexpr std::string_view kPlayList = "playlist:";
constexpr size_t kDigestDigits = 2 * zp::kCredentialDigestSize;

bool TakePrefix(std::string_view* text, std::string_view prefix) {
  if (text->substr(0, prefix.size()) != prefix) return false;
  text->remove_prefix(prefix.size());
  return true;
}

// Whether `text` is a proper beginning of `word` (the empty text is one).
bool Begins(std::string_view text, std::string_view word) {
  return text.size() < word.size() && word.substr(0, text.size()) == text;
}

size_t LeadingDigits(std::string_view text) {
  size_t n = 0;
  while (n < text.size() && std::isdigit(static_cast<unsigned char>(text[n]))) ++n;
  return n;
}

bool AllHex(std::string_view text) {
  for (char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

// Splits "name#faults" at the last '#' when the server takes fault suffixes.
std::string_view TakeFaults(std::string_view text, FaultSuffix faultSuffix, MediaRequest* request) {
  const size_t hash = faultSuffix == FaultSuffix::Taken ? text.rfind('#') : std::string_view::npos;
  if (hash == std::string_view::npos) return text;
  request->faults = text.substr(hash + 1);
  return text.substr(0, hash);
}

}  // namespace

const char* ResourceKindName(ResourceKind kind) {
  switch (kind) {
    case ResourceKind::None: break;
    case ResourceKind::LiveDirect: return "live-direct";
    case ResourceKind::File: return "file";
    case ResourceKind::LiveAlias: return "live-alias";
    case ResourceKind::FilePlayList: return "playlist";
    case ResourceKind::LiveLocal: return "live-local";
  }
  return "?";
}

std::optional<MediaRequest> ParseMediaRequest(std::string_view text, FaultSuffix faultSuffix, std::string* error) {
  MediaRequest request;
  if (TakePrefix(&text, kProtocol80Prefix)) {
    if (LeadingDigits(text.substr(0, kProtocol80Digits)) != kProtocol80Digits) {
      *error = "protocol-80 prefix without its four digits";
      return std::nullopt;
    }
    text.remove_prefix(kProtocol80Digits);
    request.protocolVersion = zp::kProtocolVersion80;
  }

  // The authentication suffix ends every request but a live-local one.
  if (size_t at = text.rfind(kHashSuffix); at != std::string_view::npos) {
    request.credentialHash = text.substr(at + kHashSuffix.size());
    text = text.substr(0, at);
  } else if (size_t sid = text.rfind(kSidSuffix); sid != std::string_view::npos) {
    request.sessionId = text.substr(sid + kSidSuffix.size());
    text = text.substr(0, sid);
  }

  if (TakePrefix(&text, kLiveDirect)) {
    request.kind = ResourceKind::LiveDirect;
    std::string_view resource = TakeFaults(text, faultSuffix, &request);
    size_t at = resource.find('@');
    if (at == std::string_view::npos) {
      *error = "live-direct request without \"@\"";
      return std::nullopt;
    }
    request.sourceNumber = resource.substr(0, at);
    request.sourceAddress = resource.substr(at + 1);
    request.name = resource;
  } else if (TakePrefix(&text, kFile)) {
    request.kind = ResourceKind::File;
    request.name = TakeFaults(text, faultSuffix, &request);
  } else if (TakePrefix(&text, kLiveAlias)) {
    request.kind = ResourceKind::LiveAlias;
    request.name = TakeFaults(text, faultSuffix, &request);
  } else if (TakePrefix(&text, kPlayList)) {
    request.kind = ResourceKind::FilePlayList;
    size_t colon = text.find(':');
    int index = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + (colon == std::string_view::npos ? 0 : colon), index);
    if (colon == std::string_view::npos || ec != std::errc() || end != text.data() + colon) {
      *error = "playlist request without \"%d:\"";
      return std::nullopt;
    }
    request.playListIndex = index;
    request.name = TakeFaults(text.substr(colon + 1), faultSuffix, &request);
  } else if (size_t comp = text.find(kCompSid); comp != std::string_view::npos) {
    if (request.protocolVersion != zp::kProtocolVersion25) {
      *error = "live-local request in protocol 80";
      return std::nullopt;
    }
    request.kind = ResourceKind::LiveLocal;
    request.sourceNumber = text.substr(0, comp);
    request.computerSid = text.substr(comp + kCompSid.size());
    request.name = request.sourceNumber;
  } else {
    *error = "unknown resource kind";
    return std::nullopt;
  }
  return request;
}

bool RequestMayGoOn(std::string_view text) {
  if (Begins(text, kProtocol80Prefix)) return true;
  const bool protocol80 = TakePrefix(&text, kProtocol80Prefix);
  if (protocol80) {
    const size_t digits = LeadingDigits(text.substr(0, kProtocol80Digits));
    if (digits < kProtocol80Digits) return digits == text.size();
    text.remove_prefix(kProtocol80Digits);
  }

  // A suffix has begun: the resource before it is whole, and the suffix's value has a form.
  if (size_t at = text.rfind(kHashSuffix); at != std::string_view::npos) {
    const std::string_view digest = text.substr(at + kHashSuffix.size());
    return digest.size() < kDigestDigits && AllHex(digest);
  }
  if (size_t at = text.rfind(kSidSuffix); at != std::string_view::npos) {
    const std::string_view sid = text.substr(at + kSidSuffix.size());  // two or eight hex digits a byte
    return sid.empty() || (sid.size() % 2 == 1 && AllHex(sid));
  }
  for (std::string_view suffix : {kHashSuffix, kSidSuffix}) {
    for (size_t n = 1; n < suffix.size() && n <= text.size(); ++n) {
      if (text.substr(text.size() - n) == suffix.substr(0, n)) return true;
    }
  }

  for (std::string_view kind : {kLiveDirect, kFile, kLiveAlias, kPlayList}) {
    if (Begins(text, kind)) return true;
  }
  if (TakePrefix(&text, kLiveDirect)) {
    const size_t at = text.find('@');
    return at == std::string_view::npos || at + 1 == text.size();
  }
  if (TakePrefix(&text, kFile) || TakePrefix(&text, kLiveAlias)) return text.empty();
  if (TakePrefix(&text, kPlayList)) {
    const size_t sign = text.substr(0, 1) == "-" ? 1 : 0;
    const size_t digits = LeadingDigits(text.substr(sign));
    if (sign + digits == text.size()) return true;
    return digits > 0 && text[sign + digits] == ':' && sign + digits + 1 == text.size();
  }
  // Live-local, in protocol 25 only: the source number, "CompSid:" and the computer's SID.
  if (protocol80) return false;
  const size_t digits = LeadingDigits(text);
  const std::string_view rest = text.substr(digits);
  return digits > 0 && (Begins(rest, kCompSid) || rest == kCompSid);
}

}  // namespace zms
