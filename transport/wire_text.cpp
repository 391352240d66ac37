#include "transport/wire_text.h"

#include "com/code_page_text.h"
#include "protocol/reply_codec.h"

namespace zm::transport {

using namespace protocol;

UINT WireCodePage(int protocolVersion) {
  return protocolVersion == static_cast<int>(kProtocolVersion80) ? CP_UTF8 : CP_THREAD_ACP;
}

std::wstring WireTextToWide(std::string_view bytes, UINT codePage) { return com::CodePageToWide(bytes, codePage); }

std::string WideToWireText(std::wstring_view text, UINT codePage) { return com::WideToCodePage(text, codePage); }

}  // namespace zm::transport
