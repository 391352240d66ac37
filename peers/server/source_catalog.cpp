#include "peers/server/source_catalog.h"

#include <iterator>

#include "peers/server/access_control.h"
#include "peers/server/testcard_source.h"
#include "peers/server/testcard_variants.h"
#include "peers/server/timeshift_source.h"

namespace zms {
namespace {

Resolution Refuse(const std::string& name) {
  Resolution r;
  r.result = kResultNotFound;
  r.mediaName = name;
  return r;
}

Resolution Serve(std::unique_ptr<MediaSource> source, const std::string& name) {
  Resolution r;
  r.source = std::move(source);
  r.mediaName = name;
  return r;
}

template <typename Source>
Resolution Make(const std::string& name) {
  return Serve(std::make_unique<Source>(), name);
}

Resolution Live(const std::string& name) { return Make<LiveTestcardSource>(name); }

Resolution Stored(const std::string& name, int durationSeconds = StoredTestcardSource::kDurationSeconds,
                  uint8_t playlistGeneration = 0) {
  return Serve(std::make_unique<StoredTestcardSource>(durationSeconds, playlistGeneration), name);
}

struct LiveAlias {
  const char* name;
  Resolution (*resolve)(const std::string& name);
};
// The protected alias is the live test card behind the access control.
constexpr LiveAlias kLiveAliases[] = {
    {kLiveTestcardAlias, Live},
    {kProtectedAlias, Live},
    {kSeparatorsAlias, Live},
    {kTimeShiftAlias, Make<TimeShiftTestcardSource>},
    {kMjpegAlias, Make<MjpegTestcardSource>},
    {kUndecodableVideoAlias, Make<UndecodableVideoSource>},
    {kUndecodableAudioAlias, Make<UndecodableAudioSource>},
    {kAudioOnlyAlias, Make<AudioOnlyTestcardSource>},
    {kTimeShiftEndingAlias,
     [](const std::string& name) {
       return Serve(std::make_unique<TimeShiftTestcardSource>(TimeShiftTestcardSource::kEndingBroadcastSeconds), name);
     }},
};

// The random list plays the test list's files in this order.
constexpr int kRandomListOrder[] = {2, 0, 1};

std::string ListXml(const char* type, bool random) {
  std::string xml = std::string("<xml><playlist type=\"") + type + "\">";
  for (size_t i = 0; i < std::size(kTestPlayListEntries); ++i) {
    xml += std::string("<file>") + kTestPlayListEntries[random ? kRandomListOrder[i] : i].name + "</file>";
  }
  return xml + "</playlist>";
}

// "testlist\\NAME" (the client joins folder and entry with a backslash).
const PlayListEntry* TestListFile(const std::string& name) {
  const std::string prefix = std::string(kTestPlayListFolder) + "\\";
  if (name.rfind(prefix, 0) != 0) return nullptr;
  for (const PlayListEntry& entry : kTestPlayListEntries) {
    if (name.substr(prefix.size()) == entry.name) return &entry;
  }
  return nullptr;
}

}  // namespace

std::string PlayListText(const std::string& entryName, const std::string& listXml) { return entryName + listXml; }

Resolution ResolveRequest(const MediaRequest& request) {
  switch (request.kind) {
    case ResourceKind::None: break;
    case ResourceKind::LiveAlias:
      for (const LiveAlias& alias : kLiveAliases) {
        if (request.name == alias.name) return alias.resolve(request.name);
      }
      return Refuse(request.name);
    case ResourceKind::LiveDirect:
      // The test card is source 1 at whatever source address the client names.
      return request.sourceNumber == kTestcardSourceNumber ? Live(request.name) : Refuse(request.name);
    case ResourceKind::LiveLocal:
      return request.sourceNumber == kTestcardSourceNumber ? Live(request.name) : Refuse(request.name);
    case ResourceKind::File:
      if (const PlayListEntry* entry = TestListFile(request.name)) return Stored(request.name, entry->durationSeconds);
      if (request.name == kStoredMjpegFile) return Make<StoredMjpegTestcardSource>(request.name);
      return request.name == kStoredTestcardFile ? Stored(request.name) : Refuse(request.name);
    case ResourceKind::FilePlayList: {
      const bool random = request.name == kRandomPlayListFolder;
      if (request.name == kTestPlayListFolder || random) {
        constexpr int kEntries = static_cast<int>(std::size(kTestPlayListEntries));
        if (request.playListIndex < 0 || request.playListIndex >= kEntries) return Refuse(request.name);
        const int index = random ? kRandomListOrder[request.playListIndex] : request.playListIndex;
        const PlayListEntry& entry = kTestPlayListEntries[index];
        Resolution r = Stored(entry.name, entry.durationSeconds, kTestPlayListGeneration);
        const bool describe = random || request.playListIndex == 0;
        r.playListText =
            PlayListText(entry.name, describe ? ListXml(random ? "random" : "alphabetical", random) : std::string());
        return r;
      }
      // One folder with one entry, enough to exercise the playlist reply.
      if (request.name != kTestcardPlayListFolder || request.playListIndex != 0) return Refuse(request.name);
      Resolution r = Stored(kStoredTestcardFile);
      r.playListText = PlayListText(kStoredTestcardFile, std::string("<xml><playlist type=\"alphabetical\"><file>") +
                                                             kStoredTestcardFile + "</file></playlist>");
      return r;
    }
  }
  return Refuse(request.name);
}

}  // namespace zms
