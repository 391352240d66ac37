// The server's log: one line per event, written whole to stderr so that lines of
// concurrent connections never interleave. Stdout carries only the listening lines.
#pragma once

#include <string_view>

namespace zms {

// printf-style; a newline is added.
void LogLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace zms
