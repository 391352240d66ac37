// What the transport tests share: the reference server's port, a TCP source whose time-out
// a test may shorten, owners for the records a read fills, and a fixture that fails a test
// which leaves a task-allocator block behind.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "transport/malloc_spy.h"
#include "transport/tcp_source.h"

namespace zm::tests {

using transport::CZTcpMediaFramesSource;
using transport::StreamFormatRecord;

inline constexpr int kProtocol80 = 80;
inline constexpr int kProtocol25 = 25;

// Set by scripts/with-zms-server.
inline uint16_t ServerPort() {
  const char* port = std::getenv("ZMS_PORT");
  return port ? static_cast<uint16_t>(std::atoi(port)) : 0;
}

class TestTcpSource : public CZTcpMediaFramesSource {
 public:
  using CZTcpMediaFramesSource::CZTcpMediaFramesSource;
  void SetTimeoutMs(int ms) { m_nTimeoutMs = ms; }
  LONG StoppedAtFrameStart() const { return m_nStoppedAtFrameStart; }
  LONG VideoFramesNow() const { return m_nVideoFrameCount.load(); }
  LONG BytesNow() const { return m_nByteCount.load(); }
  void AskForKeepAlive() { m_nKeepAlive = 1; }
  // A Boolean option of the connection's socket, as the system reports it.
  int SocketOption(int level, int name) const {
    int value = 0;  // Wine writes a single byte for Boolean options
    int size = sizeof value;
    getsockopt(m_socket.load(), level, name, reinterpret_cast<char*>(&value), &size);
    return value;
  }
};

struct ReplyRecords {
  StreamFormatRecord formats[2]{};
  protocol::ReplyStatus status;
  ~ReplyRecords() {
    for (StreamFormatRecord& f : formats) transport::FreeFormatBlock(f);
  }
};

struct FrameRecord {
  zm::MediaFrame frame{};
  ~FrameRecord() { Free(); }
  void Free() {
    CoTaskMemFree(frame.data);
    frame.data = nullptr;
  }
};

class TransportTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(MallocSpy().Register()); }
  void TearDown() override {
    EXPECT_EQ(MallocSpy().Outstanding(), 0) << "task-allocator blocks left behind";
    MallocSpy().Revoke();
  }

  // A source for the reference server, connected with the request sent.
  void ConnectToServer(CZTcpMediaFramesSource& source, const std::string& request, int protocol) {
    ASSERT_NE(ServerPort(), 0) << "ZMS_PORT is not set: run under scripts/with-zms-server";
    source.SetHost("127.0.0.1");
    source.SetRequest(request, protocol);
    std::wstring error;
    ASSERT_TRUE(source.Connect(error)) << std::string(error.begin(), error.end());
    EXPECT_EQ(error, L"");
  }
};

// Ends, from another thread, a read that the code under test fails to end in `ms`, so that
// a broken watchdog fails its test instead of hanging it.
class HangGuard {
 public:
  HangGuard(CZTcpMediaFramesSource& source, DWORD ms) : m_hDone(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    m_thread = std::thread([this, &source, ms] {
      if (WaitForSingleObject(m_hDone, ms) != WAIT_TIMEOUT) return;
      m_bFired = true;
      std::wstring ignored;
      source.Disconnect(ignored);
    });
  }
  ~HangGuard() {
    SetEvent(m_hDone);
    m_thread.join();
    CloseHandle(m_hDone);
  }
  bool Fired() const { return m_bFired; }

 private:
  HANDLE m_hDone;
  std::atomic<bool> m_bFired{false};
  std::thread m_thread;
};

inline constexpr DWORD kHangGuardMs = 10000;

inline std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

}  // namespace zm::tests
