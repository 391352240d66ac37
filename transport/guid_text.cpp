#include "transport/guid_text.h"

#include <objbase.h>

#include <cctype>

#include "com/code_page_text.h"
#include "com/unique_handle.h"

namespace zm::transport {

std::string NewGuidText() {
  GUID guid;
  if (FAILED(CoCreateGuid(&guid))) return {};
  com::UniqueCoTaskMem<wchar_t> text;
  if (FAILED(StringFromCLSID(guid, text.put()))) return {};
  std::string id = com::WideToCodePage(text.get(), CP_ACP);
  for (char& c : id) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return id;
}

}  // namespace zm::transport
