#include "peers/server/command_stream.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace zms {
namespace {

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Whether a known command begins at the start of `text`, or `text` is the start of one.
bool CommandMayStart(std::string_view text) {
  for (std::string_view word : kCommandWords) {
    const size_t n = std::min(word.size(), text.size());
    if (text.substr(0, n) == word.substr(0, n)) return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> CommandStream::Feed(const std::string& bytes) {
  pending_ += bytes;
  std::vector<std::string> commands;
  while (!pending_.empty()) {
    std::string_view rest = pending_;
    size_t length = 0;
    bool partial = false;
    for (std::string_view word : kCommandWords) {
      if (rest.substr(0, word.size()) == word) {
        length = word.size();
        if (word == "Seek:") {
          // The number runs to the next non-digit; a command is sent in one write, so
          // the end of what has arrived ends it too.
          if (length < rest.size() && rest[length] == '-') ++length;
          while (length < rest.size() && IsDigit(rest[length])) ++length;
        }
        break;
      }
      if (word.substr(0, rest.size()) == rest) partial = true;
    }
    if (length == 0 && partial) break;  // the start of a command; wait for the rest
    if (length == 0) {
      // Unknown bytes: up to the next possible command start.
      length = 1;
      while (length < rest.size() && !CommandMayStart(rest.substr(length))) ++length;
    }
    commands.emplace_back(rest.substr(0, length));
    pending_.erase(0, length);
  }
  return commands;
}

}  // namespace zms
