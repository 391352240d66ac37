// The server's built-in names: which request reaches which source, or which result
// code refuses it. Whether a client may open it is the access control's business.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "peers/server/media_request.h"
#include "peers/server/media_source.h"

namespace zms {

inline constexpr char kLiveTestcardAlias[] = "testcard";
inline constexpr char kStoredTestcardFile[] = "testcard.zmf";
inline constexpr char kStoredMjpegFile[] = "mjpeg.zmf";
inline constexpr char kTestcardSourceNumber[] = "1";
inline constexpr char kTestcardPlayListFolder[] = "testcards";
inline constexpr char kTimeShiftAlias[] = "timeshift";
// Live variants of the test card (testcard_variants.h).
inline constexpr char kMjpegAlias[] = "mjpeg";
inline constexpr char kUndecodableVideoAlias[] = "undecodable";
inline constexpr char kUndecodableAudioAlias[] = "undecodable-audio";
inline constexpr char kAudioOnlyAlias[] = "audio-only";
// The time-shift test card of a broadcast that ends a few seconds after the client connected.
inline constexpr char kTimeShiftEndingAlias[] = "timeshift-ending";
// A live alias made of the request's separators (a client's "&" arrives as "*"): it opens
// only when the whole name arrives as one.
inline constexpr char kSeparatorsAlias[] = "a b:c/d@e*f%g";
// A server playlist of three stored entries, each also reachable as the file "testlist\NAME".
// Its "alphabetical" description comes with the first entry only; "randomlist" names the same
// files in another order, "random", and describes itself with every entry.
inline constexpr char kTestPlayListFolder[] = "testlist";
inline constexpr char kRandomPlayListFolder[] = "randomlist";
inline constexpr uint8_t kTestPlayListGeneration = 2;
struct PlayListEntry {
  const char* name;
  int durationSeconds;
};
inline constexpr PlayListEntry kTestPlayListEntries[] = {{"alpha.zmf", 2}, {"beta.zmf", 3}, {"gamma.zmf", 4}};

// The string after a playlist reply: the entry's name, then the list.
std::string PlayListText(const std::string& entryName, const std::string& listXml);

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
