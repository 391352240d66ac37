// CZHttpMediaFramesSource: the media server protocol inside one long HTTP/1.1 GET whose
// chunked body carries the protocol messages (the server sends one a chunk), for networks that pass only web
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
  // Once the head is read, the body is read through its chunks by their sizes, so that a
  // proxy that cuts the body into other chunks than the server's changes nothing. Raises
  // (inside an operation) when the chunks themselves are wrong.
  BOOL ReadExact(void* buffer, uint32_t count) override;

  // Lower-case GUID text without braces; empty until the first SetRequest.
  const std::string& ClientId() const { return m_sClientId; }

 private:
  // The next chunk's size line, after the CR LF that ends the chunk before; raises
  // ErrorReceiving at the last chunk, on a malformed line or when the connection ends.
  void OpenNextChunk();

  std::string m_sClientId;
  bool m_bInBody = false;     // the response head has been read
  bool m_bChunkRead = false;  // a chunk has been opened since: its end comes before the next line
  uint32_t m_nChunkLeft = 0;
};

}  // namespace zm::transport
