#include "transport/https_source.h"

// clang-format off
#include <wolfssl/options.h>
#include <cyassl/ssl.h>
// clang-format on

#include <mutex>

#include "transport/source_error.h"
#include "transport/tcp_source.h"

namespace zm::transport {

using namespace protocol;
namespace {

// How long a wait for the socket lasts before it looks again whether the session is still
// open; a Disconnect also wakes it at once through the socket's event.
constexpr DWORD kSocketWaitSliceMs = 50;

// The library's global state is made by the first source of the process and freed by the last.
std::mutex g_tlsUsersLock;
int g_nTlsUsers = 0;

bool StartTlsLibrary() {
  std::lock_guard guard(g_tlsUsersLock);
  if (g_nTlsUsers == 0 && CyaSSL_Init() != SSL_SUCCESS) return false;
  ++g_nTlsUsers;
  return true;
}

void StopTlsLibrary() {
  std::lock_guard guard(g_tlsUsersLock);
  if (--g_nTlsUsers == 0) CyaSSL_Cleanup();
}

bool WantsMore(CYASSL* session, int result) {
  const int error = CyaSSL_get_error(session, result);
  return error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE;
}

}  // namespace

CZHttpsMediaFramesSource::CZHttpsMediaFramesSource(uint16_t port)
    : m_nPort(port), m_hSocketEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  WSADATA data;
  m_bWinsockStarted = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  m_bTlsStarted = StartTlsLibrary();
}

CZHttpsMediaFramesSource::~CZHttpsMediaFramesSource() {
  {
    std::lock_guard guard(m_lock);
    // A session still open says goodbye to the server; one that Disconnect closed has already.
    if (m_bOpen.exchange(false)) CyaSSL_shutdown(m_pTlsSession);
    FreeTls();
  }
  DropSocket();
  if (m_bTlsStarted) StopTlsLibrary();
  if (m_bWinsockStarted) WSACleanup();
}

void CZHttpsMediaFramesSource::FreeTls() {
  if (m_pTlsSession) CyaSSL_free(m_pTlsSession);
  m_pTlsSession = nullptr;
  if (m_pTlsContext) CyaSSL_CTX_free(m_pTlsContext);
  m_pTlsContext = nullptr;
}

void CZHttpsMediaFramesSource::DropSocket() {
  const SOCKET s = m_socket.exchange(INVALID_SOCKET);
  if (s == INVALID_SOCKET) return;
  shutdown(s, SD_BOTH);
  closesocket(s);
}

BOOL CZHttpsMediaFramesSource::Connect(std::wstring& errorText) {
  errorText.clear();
  return RunOperation(errorText, [&] {
    // Whatever an earlier attempt left goes first: a second Connect makes everything afresh.
    m_nOwnerThread = GetCurrentThreadId();
    m_bStopping = false;
    DropSocket();
    {
      std::lock_guard guard(m_lock);
      m_bOpen = false;
      FreeTls();
    }
    m_readAhead.Clear();
    m_cipherReadAhead.Clear();
    if (!m_bTlsStarted) RaiseSourceError(SourceFailure::HttpsInitialization);
    m_pTlsContext = CyaSSL_CTX_new(CyaTLSv1_2_client_method());
    if (!m_pTlsContext) RaiseSourceError(SourceFailure::HttpsInitialization);
    // The server's certificate is taken as it comes, self-signed or expired.
    CyaSSL_CTX_set_verify(m_pTlsContext, SSL_VERIFY_NONE, nullptr);
    CyaSSL_SetIORecv(m_pTlsContext, &CZHttpsMediaFramesSource::ReceiveCiphertext);

    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(m_nPort);
    server.sin_addr = ResolveServerOrRaise(m_sHost);
    const SOCKET s = NewStreamSocket();
    m_socket = s;
    if (connect(s, reinterpret_cast<const sockaddr*>(&server), sizeof server) < 0)
      RaiseSourceError(SourceFailure::NoResponse);

    // Until the session is open no other thread touches it, so the handshake and the request
    // run without the lock; non-blocking, waiting on the socket's event, so that a Disconnect
    // from another thread ends them at once.
    m_pTlsSession = CyaSSL_new(m_pTlsContext);
    if (!m_pTlsSession) RaiseSourceError(SourceFailure::HttpsInitialization);
    CyaSSL_set_fd(m_pTlsSession, static_cast<int>(s));
    CyaSSL_SetIOReadCtx(m_pTlsSession, this);  // after set_fd, which points it at the socket
    ResetEvent(m_hSocketEvent.get());
    if (WSAEventSelect(s, m_hSocketEvent.get(), FD_READ | FD_WRITE | FD_CLOSE) != 0)
      RaiseSourceError(SourceFailure::WinSockError);
    RunUntilDone([&] { return CyaSSL_connect(m_pTlsSession) == SSL_SUCCESS ? 1 : 0; },
                 SourceFailure::HttpsInitialization);
    const int size = static_cast<int>(m_sRequest.size());
    RunUntilDone([&] { return CyaSSL_write(m_pTlsSession, m_sRequest.data(), size); }, SourceFailure::RequestNotSent);
    if (m_bStopping) RaiseSourceError(SourceFailure::HttpsInitialization);
    m_bOpen = true;
  });
}

BOOL CZHttpsMediaFramesSource::Disconnect(std::wstring& errorText) {
  CancelWatchdog();
  errorText.clear();
  {
    std::lock_guard guard(m_lock);
    if (m_bOpen.exchange(false)) CyaSSL_shutdown(m_pTlsSession);
  }
  if (GetCurrentThreadId() == m_nOwnerThread.load()) {
    DropSocket();
  } else {
    // The handshake runs on the owner's thread outside the lock: a socket closed under it could
    // be reused by another before it notices. Told to stop, it ends at once; the owner closes it.
    m_bStopping = true;
    const SOCKET s = m_socket.load();
    if (s != INVALID_SOCKET) shutdown(s, SD_BOTH);
  }
  // A read waiting for data sees the session closed at once.
  SetEvent(m_hSocketEvent.get());
  return TRUE;
}

BOOL CZHttpsMediaFramesSource::SendCommand(const std::string& command, std::wstring& errorText) {
  errorText.clear();
  return RunOperation(errorText, [&] {
    const int size = static_cast<int>(command.size());
    const uint64_t start = m_clock.Now();
    for (;;) {
      int written = 0;
      bool again = false;
      {
        std::lock_guard guard(m_lock);
        if (!m_bOpen) RaiseSourceError(SourceFailure::RequestNotSent);
        written = CyaSSL_write(m_pTlsSession, command.data(), size);
        again = written <= 0 && WantsMore(m_pTlsSession, written);
      }
      if (written == size) return;
      // A full send buffer (a paused reader) is waited out for as long as a read would be.
      if (!again || m_clock.Now() - start >= static_cast<uint64_t>(m_nTimeoutMs))
        RaiseSourceError(SourceFailure::RequestNotSent);
      WaitForSocket(kSocketWaitSliceMs);
    }
  });
}

void CZHttpsMediaFramesSource::SetPort(uint16_t port) { m_nPort = port; }

void CZHttpsMediaFramesSource::WaitForSocket(DWORD sliceMs) {
  // Alertable: the watchdog's completion routine runs here and disconnects.
  WaitForSingleObjectEx(m_hSocketEvent.get(), sliceMs, TRUE);
}

template <typename Call>
void CZHttpsMediaFramesSource::RunUntilDone(Call call, SourceFailure failure) {
  bool eventReset = false;
  for (;;) {
    const int result = call();
    if (result > 0) return;
    if (!WantsMore(m_pTlsSession, result) || m_bStopping || m_socket.load() == INVALID_SOCKET)
      RaiseSourceError(failure);
    AwaitSocket(eventReset);
  }
}

void CZHttpsMediaFramesSource::AwaitSocket(bool& eventReset) {
  // Data that came between a try that found none and the event's reset would not set the
  // event again: so the event is reset first and the call tried once more before waiting.
  if (eventReset) WaitForSocket(kSocketWaitSliceMs);
  else ResetEvent(m_hSocketEvent.get());
  eventReset = !eventReset;
}

int CZHttpsMediaFramesSource::ReceiveCiphertext(WOLFSSL*, char* into, int size, void* source) {
  auto* self = static_cast<CZHttpsMediaFramesSource*>(source);
  ReadAheadBuffer& buffer = self->m_cipherReadAhead;
  if (buffer.Size() == 0) {
    const int received = recv(self->m_socket.load(), buffer.Space(), static_cast<int>(buffer.Capacity()), 0);
    if (received == 0) return CYASSL_CBIO_ERR_CONN_CLOSE;
    if (received < 0) {
      switch (WSAGetLastError()) {
        case WSAEWOULDBLOCK: return CYASSL_CBIO_ERR_WANT_READ;
        case WSAEINTR: return CYASSL_CBIO_ERR_ISR;
        case WSAECONNRESET: return CYASSL_CBIO_ERR_CONN_RST;
        case WSAECONNABORTED: return CYASSL_CBIO_ERR_CONN_CLOSE;
        default: return CYASSL_CBIO_ERR_GENERAL;
      }
    }
    buffer.Filled(static_cast<uint32_t>(received));
  }
  return static_cast<int>(buffer.Take(into, static_cast<uint32_t>(size)));
}

int CZHttpsMediaFramesSource::ReadSome(char* into, uint32_t capacity) {
  bool eventReset = false;
  for (;;) {
    if (m_socket.load() == INVALID_SOCKET) return -1;
    int received = 0;
    bool again = false;
    {
      std::lock_guard guard(m_lock);
      if (!m_bOpen) return -1;
      received = CyaSSL_read(m_pTlsSession, into, static_cast<int>(capacity));
      again = received <= 0 && WantsMore(m_pTlsSession, received);
    }
    if (received > 0) return received;
    if (!again) return -1;
    AwaitSocket(eventReset);
  }
}

BOOL CZHttpsMediaFramesSource::ReadExact(void* buffer, uint32_t count) {
  if (count == 0) return TRUE;
  // Decrypted bytes beyond what was asked for wait in the read-ahead buffer, so that a small
  // frame costs no call into the session of its own.
  if (!m_readAhead.Read(static_cast<char*>(buffer), count,
                        [this](char* into, uint32_t capacity) { return ReadSome(into, capacity); }))
    return FALSE;
  CountBytes(count);
  return TRUE;
}

}  // namespace zm::transport
