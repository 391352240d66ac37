#include "transport/http_source.h"

#include <algorithm>

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
  m_bInBody = false;
  HttpHeadScanner head;
  uint8_t bytes[kHttpStatusOk.size()];
  while (const size_t count = head.NextReadSize()) {
    if (!ReadExact(bytes, static_cast<uint32_t>(count))) RaiseSourceError(SourceFailure::NoHttpSupport);
    for (size_t i = 0; i < count; ++i) head.Feed(bytes[i]);
  }
  if (head.step() != ScanStep::Done) RaiseSourceError(SourceFailure::NoHttpSupport);
  m_bInBody = true;
  m_bChunkRead = false;
  m_nChunkLeft = 0;
}

void CZHttpMediaFramesSource::OpenNextChunk() {
  // Whatever goes wrong between two chunks is the body's framing: the data did not arrive.
  uint8_t byte[2];
  if (m_bChunkRead && (!CZTcpMediaFramesSource::ReadExact(byte, 2) || byte[0] != '\r' || byte[1] != '\n')) {
    RaiseSourceError(SourceFailure::ErrorReceiving);
  }
  ChunkLineScanner line;
  while (line.step() == ScanStep::NeedMore) {
    if (!CZTcpMediaFramesSource::ReadExact(byte, 1)) RaiseSourceError(SourceFailure::ErrorReceiving);
    line.Feed(byte[0]);
  }
  m_bChunkRead = true;
  m_nChunkLeft = line.size();
  // The last chunk ends the body, and with it the stream.
  if (line.step() != ScanStep::Done || m_nChunkLeft == 0) RaiseSourceError(SourceFailure::ErrorReceiving);
}

BOOL CZHttpMediaFramesSource::ReadExact(void* buffer, uint32_t count) {
  if (!m_bInBody) return CZTcpMediaFramesSource::ReadExact(buffer, count);
  auto* out = static_cast<uint8_t*>(buffer);
  while (count != 0) {
    if (m_nChunkLeft == 0) OpenNextChunk();
    const uint32_t part = std::min(count, m_nChunkLeft);
    if (!CZTcpMediaFramesSource::ReadExact(out, part)) return FALSE;
    out += part;
    count -= part;
    m_nChunkLeft -= part;
  }
  return TRUE;
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
