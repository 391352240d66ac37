// CZHttpMediaFramesSource: the media server protocol inside one long HTTP/1.1 GET whose
// chunked body carries one protocol message a chunk, for networks that pass only web
// traffic. Commands go as short POSTs on connections of their own, tied to the stream by
// the client id that every SetRequest makes afresh.
//
// Threads: as the TCP transport; SendCommand (grabber or control's thread) never touches
// the streaming socket, it opens its own connection.
#pragma once

#include <string>

#include "transport/tcp_source.h"

namespace zm::transport {

class CZHttpMediaFramesSource : public CZTcpMediaFramesSource {
 public:
  // How long a command's connection stays open after the POST went out; no answer is read.
  static constexpr DWORD kCommandLingerMs = 25;

  explicit CZHttpMediaFramesSource(uint16_t port);
  ~CZHttpMediaFramesSource() override;

  BOOL SendCommand(const std::string& command, std::wstring& errorText) override;
  void SetRequest(const std::string& request, int protocolVersion) override;
  void ReadPreamble() override;
  BOOL ReadChunkHeader() override;
  void ReadChunkTrailer() override;

  // Lower-case GUID text without braces; empty until the first SetRequest.
  const std::string& ClientId() const { return m_sClientId; }

 private:
  std::string m_sClientId;
};

}  // namespace zm::transport
