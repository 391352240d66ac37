#include "peers/server/media_request.h"

#include <cctype>
#include <charconv>

namespace zms {
namespace {

constexpr std::string_view kProtocol80Prefix = "/ZAMS80/";
constexpr std::string_view kHashSuffix = "///HASH:";
constexpr std::string_view kSidSuffix = "///SID:";
constexpr std::string_view kCompSid = "CompSid:";

bool TakePrefix(std::string_view* text, std::string_view prefix) {
  if (text->substr(0, prefix.size()) != prefix) return false;
  text->remove_prefix(prefix.size());
  return true;
}

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

// Splits "name#faults"; the last '#' starts the fault list.
void SplitFaults(std::string_view text, MediaRequest* request) {
  size_t hash = text.rfind('#');
  if (hash == std::string_view::npos) {
    request->name = text;
    return;
  }
  request->name = text.substr(0, hash);
  request->faults = text.substr(hash + 1);
}

}  // namespace

const char* ResourceKindName(ResourceKind kind) {
  switch (kind) {
    case ResourceKind::LiveDirect: return "live-direct";
    case ResourceKind::File: return "file";
    case ResourceKind::LiveAlias: return "live-alias";
    case ResourceKind::PlayList: return "playlist";
    case ResourceKind::LiveLocal: return "live-local";
  }
  return "?";
}

std::optional<MediaRequest> ParseMediaRequest(std::string_view text, std::string* error) {
  MediaRequest request;
  if (TakePrefix(&text, kProtocol80Prefix)) {
    if (text.size() < 4 || !AllDigits(text.substr(0, 4))) {
      *error = "protocol-80 prefix without its four digits";
      return std::nullopt;
    }
    text.remove_prefix(4);
    request.protocolVersion = 80;
  }

  // The authentication suffix ends every request but a live-local one.
  if (size_t at = text.rfind(kHashSuffix); at != std::string_view::npos) {
    request.credentialHash = text.substr(at + kHashSuffix.size());
    text = text.substr(0, at);
  } else if (size_t sid = text.rfind(kSidSuffix); sid != std::string_view::npos) {
    request.sessionId = text.substr(sid + kSidSuffix.size());
    text = text.substr(0, sid);
  }

  if (TakePrefix(&text, "live-direct:")) {
    request.kind = ResourceKind::LiveDirect;
    std::string_view resource = text;
    size_t hash = resource.rfind('#');
    if (hash != std::string_view::npos) {
      request.faults = resource.substr(hash + 1);
      resource = resource.substr(0, hash);
    }
    size_t at = resource.find('@');
    if (at == std::string_view::npos) {
      *error = "live-direct request without \"@\"";
      return std::nullopt;
    }
    request.sourceNumber = resource.substr(0, at);
    request.sourceAddress = resource.substr(at + 1);
    request.name = std::string(resource);
  } else if (TakePrefix(&text, "file:")) {
    request.kind = ResourceKind::File;
    SplitFaults(text, &request);
  } else if (TakePrefix(&text, "live-alias:")) {
    request.kind = ResourceKind::LiveAlias;
    SplitFaults(text, &request);
  } else if (TakePrefix(&text, "playlist:")) {
    request.kind = ResourceKind::PlayList;
    size_t colon = text.find(':');
    int index = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + (colon == std::string_view::npos ? 0 : colon), index);
    if (colon == std::string_view::npos || ec != std::errc() || end != text.data() + colon) {
      *error = "playlist request without \"%d:\"";
      return std::nullopt;
    }
    request.playListIndex = index;
    SplitFaults(text.substr(colon + 1), &request);
  } else if (size_t comp = text.find(kCompSid); comp != std::string_view::npos) {
    if (request.protocolVersion != 25) {
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

}  // namespace zms
