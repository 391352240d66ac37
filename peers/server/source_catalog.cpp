#include "peers/server/source_catalog.h"

#include "peers/server/testcard_source.h"

namespace zms {
namespace {

Resolution Refuse(const std::string& name) {
  Resolution r;
  r.result = kResultNotFound;
  r.mediaName = name;
  return r;
}

Resolution Live(const std::string& name) {
  Resolution r;
  r.source = std::make_unique<LiveTestcardSource>();
  r.mediaName = name;
  return r;
}

Resolution Stored(const std::string& name) {
  Resolution r;
  r.source = std::make_unique<StoredTestcardSource>();
  r.mediaName = name;
  return r;
}

}  // namespace

Resolution ResolveRequest(const MediaRequest& request) {
  switch (request.kind) {
    case ResourceKind::LiveAlias:
      return request.name == kLiveTestcardAlias ? Live(request.name) : Refuse(request.name);
    case ResourceKind::LiveDirect:
      // The test card is source 1 at whatever source address the client names.
      return request.sourceNumber == kTestcardSourceNumber ? Live(request.name) : Refuse(request.name);
    case ResourceKind::LiveLocal:
      return request.sourceNumber == kTestcardSourceNumber ? Live(request.name) : Refuse(request.name);
    case ResourceKind::File:
      return request.name == kStoredTestcardFile ? Stored(request.name) : Refuse(request.name);
    case ResourceKind::PlayList: {
      // One folder with one entry, enough to exercise the playlist reply.
      if (request.name != kTestcardPlayListFolder || request.playListIndex != 0) return Refuse(request.name);
      Resolution r = Stored(kStoredTestcardFile);
      r.playListText = std::string(kStoredTestcardFile) +
                       "<xml><playlist type=\"alphabetical\"><file>" + kStoredTestcardFile + "</file></playlist>";
      return r;
    }
  }
  return Refuse(request.name);
}

}  // namespace zms
