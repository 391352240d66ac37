// URLEncode: how names travel inside the HTTP transport's request path. Every character but
// an ASCII letter or digit becomes "%XX" escapes (upper-case hex) of its UTF-8 bytes.
#pragma once

#include <string>
#include <string_view>

namespace zm::protocol {

// "%" becomes %25 first, so an encoded name never looks like one already escaped; the
// result is plain ASCII and carries none of the request's separators ("/", ":", "@", "&", space).
std::u16string URLEncode(std::u16string_view text);

}  // namespace zm::protocol
