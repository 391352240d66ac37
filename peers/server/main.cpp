// zms-server: the reference media server. Parses the flags, opens the listeners, serves
// until SIGINT or SIGTERM, then waits for every connection to end.
#include <csignal>
#include <cstdio>
#include <string>

#include "peers/server/server_context.h"
#include "peers/server/server_log.h"
#include "peers/server/server_options.h"
#include "peers/server/tcp_transport.h"
#include "peers/server/tls_transport.h"

namespace {

zms::ServerContext* g_context = nullptr;

void OnStopSignal(int) {
  if (g_context) g_context->stopping = true;  // lock-free atomic: safe in a handler
}

void InstallStopHandlers() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);
}

}  // namespace

int main(int argc, char** argv) {
  zms::ServerOptions options;
  std::string error;
  if (!zms::ParseServerOptions(argc, argv, &options, &error)) {
    std::fprintf(stderr, "zms-server: %s\n%s", error.c_str(), zms::ServerUsage());
    return 2;
  }
  if (options.help) {
    std::fputs(zms::ServerUsage(), stdout);
    return 0;
  }

  static zms::ServerContext context;
  static_assert(std::atomic<bool>::is_always_lock_free);
  context.faults = options.faults;
  context.allowFaultSuffix = options.allowFaultSuffix;
  context.extensionBytes = options.extensionBytes;
  context.access = zms::AccessControl(options.access);
  context.protocol25Only = options.protocol25Only;
  context.multicast = options.multicast;
  g_context = &context;
  InstallStopHandlers();

  static zms::TlsServer tls;
  if (!options.tlsCertificate.empty()) {
    if (!tls.Load(options.tlsCertificate, options.tlsKey, &error)) {
      std::fprintf(stderr, "zms-server: %s\n", error.c_str());
      return 1;
    }
    context.tls = &tls;
  }

  zms::TcpTransport tcp(context);
  uint16_t port = 0;
  if (!tcp.Listen(options.port, &port, &error)) {
    std::fprintf(stderr, "zms-server: %s\n", error.c_str());
    return 1;
  }
  static zms::RtpRendezvous rtp;
  if (!rtp.Open(port, &error)) {
    std::fprintf(stderr, "zms-server: %s\n", error.c_str());
    return 1;
  }
  context.rtp = &rtp;
  std::printf("listening on 127.0.0.1:%u\n", port);
  if (options.localPort) {
    uint16_t localPort = 0;
    if (!tcp.Listen(*options.localPort, &localPort, &error)) {
      std::fprintf(stderr, "zms-server: %s\n", error.c_str());
      return 1;
    }
    std::printf("listening on 127.0.0.1:%u (local)\n", localPort);
  }
  if (options.httpsPort) {
    uint16_t httpsPort = 0;
    if (!tcp.Listen(*options.httpsPort, &httpsPort, &error, true)) {
      std::fprintf(stderr, "zms-server: %s\n", error.c_str());
      return 1;
    }
    std::printf("listening on 127.0.0.1:%u (https)\n", httpsPort);
  }
  std::fflush(stdout);
  zms::LogLine("serving TCP, HTTP, RTP unicast and multicast%s; faults for every connection: %s; fault suffixes %s",
               context.tls ? " and HTTPS" : "", zms::DescribeFaults(options.faults).c_str(),
               options.allowFaultSuffix ? "allowed" : "not taken");
  zms::LogLine("live alias \"%s\" opens for user \"%s\" and session id \"%s\"%s", zms::kProtectedAlias,
               options.access.userName.c_str(), options.access.sessionToken.c_str(),
               options.protocol25Only ? "; protocol 25 only" : "");

  tcp.Serve();
  rtp.Close();
  zms::LogLine("stopped");
  return 0;
}
