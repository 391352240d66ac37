// A fresh GUID as lower-case text with its braces, "{0f8fad5b-d9cb-469f-a165-70867728950e}":
// the ids that tie a transport's second channel (HTTP commands, RTP datagrams) to its stream.
#pragma once

#include <string>

namespace zm::transport {

// Empty when no GUID could be made.
std::string NewGuidText();

}  // namespace zm::transport
