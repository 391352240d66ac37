// The server's built-in names: which request reaches which source, or which result
// code refuses it. Later sources (recordings, playlists of files) join here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "peers/server/media_request.h"
#include "peers/server/media_source.h"

namespace zms {

inline constexpr char kLiveTestcardAlias[] = "testcard";
inline constexpr char kStoredTestcardFile[] = "testcard.zmf";
inline constexpr char kTestcardSourceNumber[] = "1";
inline constexpr char kTestcardPlayListFolder[] = "testcards";

// HRESULT-shaped refusal for a name the server does not know.
inline constexpr uint32_t kResultNotFound = 0x80070002;

struct Resolution {
  std::unique_ptr<MediaSource> source;  // null when refused
  uint32_t result = 0;                  // nonzero when refused
  std::string mediaName;                // for the log and the playlist string
  std::string playListText;             // playlist requests: the string after the reply
};

Resolution ResolveRequest(const MediaRequest& request);

}  // namespace zms
