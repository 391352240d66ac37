// UTF-16 to UTF-8 for the texts the media server reads as UTF-8 (protocol-80 names, the
// credential digest input). A lone surrogate becomes U+FFFD, as the Windows conversion makes it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zm::protocol {

inline constexpr char32_t kReplacementCharacter = U'\uFFFD';

// The code point that starts at `index`, which moves past it; a lone surrogate reads as U+FFFD.
// `index` must be below text.size().
char32_t NextCodePoint(std::u16string_view text, size_t& index);

// Appends the one to four UTF-8 bytes of a code point (above U+10FFFF: U+FFFD).
void AppendUtf8(char32_t codePoint, std::string& out);

std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace zm::protocol
