#include "transport/http_source.h"

#include <objbase.h>

#include <cctype>

#include "com/code_page_text.h"
#include "com/unique_handle.h"
#include "protocol/http_framing.h"
#include "transport/guid_text.h"
#include "transport/source_error.h"

namespace zm::transport {

using namespace protocol;
namespace {

// "{0f8fad5b-...}" as "0f8fad5b-...": a fresh id for every request.
std::string NewClientId() {
  std::string id = NewGuidText();
  if (id.size() >= 2 && id.front() == '{' && id.back() == '}') id = id.substr(1, id.size() - 2);
  return id;
}

}  // namespace

CZHttpMediaFramesSource::CZHttpMediaFramesSource(uint16_t port) : CZTcpMediaFramesSource(port) {}

CZHttpMediaFramesSource::~CZHttpMediaFramesSource() { m_sClientId.clear(); }

void CZHttpMediaFramesSource::SetRequest(const std::string& request, int protocolVersion) {
  m_nProtocolVersion = protocolVersion;
  m_sClientId = NewClientId();
  m_sRequest = BuildHttpGetRequest(request, m_sClientId, m_sHost);
}

void CZHttpMediaFramesSource::ReadPreamble() {
  HttpHeadScanner head;
  uint8_t bytes[kHttpStatusOk.size()];
  while (const size_t count = head.NextReadSize()) {
    if (!ReadExact(bytes, static_cast<uint32_t>(count))) RaiseSourceError(SourceFailure::NoHttpSupport);
    for (size_t i = 0; i < count; ++i) head.Feed(bytes[i]);
  }
  if (head.step() != ScanStep::Done) RaiseSourceError(SourceFailure::NoHttpSupport);
}

BOOL CZHttpMediaFramesSource::ReadChunkHeader() {
  ChunkLineScanner line;
  while (line.step() == ScanStep::NeedMore) {
    uint8_t byte;
    if (!ReadExact(&byte, 1)) return FALSE;
    line.Feed(byte);
  }
  return line.step() == ScanStep::Done;
}

void CZHttpMediaFramesSource::ReadChunkTrailer() {
  uint8_t end[2];
  if (!ReadExact(end, sizeof end) || end[0] != '\r' || end[1] != '\n') RaiseSourceError(SourceFailure::ErrorReceiving);
}

BOOL CZHttpMediaFramesSource::SendCommand(const std::string& command, std::wstring& errorText) {
  errorText.clear();
  return RunOperation(errorText, [&] {
    // Its own short connection: the stream's socket belongs to the reading thread.
    CZTcpMediaFramesSource post(m_nPort);
    post.SetHost(m_sHost);
    post.SetRequest(BuildHttpCommandPost(m_sRequest, command), static_cast<int>(kProtocolVersion80));
    std::wstring ignored;
    const BOOL sent = post.Connect(ignored);
    Sleep(kCommandLingerMs);
    post.Disconnect(ignored);
    if (!sent) RaiseSourceError(SourceFailure::CommandNotSent);
  });
}

}  // namespace zm::transport
