// Short display names of codecs, from a media subtype GUID: a FourCC subtype names itself,
// other subtypes and wave format tags come from two fixed tables.
#pragma once

#include <optional>
#include <string>

#include "protocol/guid.h"

namespace zm::session {

// The text shown for a codec that has no name.
inline constexpr wchar_t kTextUnknownCodec[] = L"Unknown codec";

// The ANSI name of the codec (at most 15 characters), or nothing when it has none. Any thread.
std::optional<std::string> CodecNameFromSubtype(const protocol::Guid& subtype);

// The name widened for display, or "Unknown codec". The names are plain ASCII, so every ANSI
// code page widens them alike.
std::wstring CodecDisplayName(const protocol::Guid& subtype);

}  // namespace zm::session
