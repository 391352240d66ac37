#include "peers/server/server_options.h"

#include <charconv>
#include <string_view>

#include "protocol/multicast_group.h"

namespace zms {
namespace {

bool ParsePort(std::string_view text, uint16_t* port) {
  unsigned value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value > 65535) return false;
  *port = static_cast<uint16_t>(value);
  return true;
}

}  // namespace

const char* ServerUsage() {
  return "usage: zms-server [flags]\n"
         "Reference media server: serves the built-in test sources on 127.0.0.1 over TCP, HTTP,\n"
         "RTP unicast (whose clients first meet it over UDP on the same port) and RTP multicast\n"
         "(sent by the loopback interface).\n"
         "\n"
         "  --port N             listen on 127.0.0.1:N (default 5119; 0 picks a free port)\n"
         "  --local-port N       also listen on N, where clients send live-local requests\n"
         "                       (they use 5120; 0 picks a free port); off by default\n"
         "  --fault LIST         faults for every connection, comma-separated:\n"
         "                         stall-after=N      send N frames, then nothing\n"
         "                         close-mid-frame=N  send N frames, half of the next, close\n"
         "                         wrong-magic        reply magic 0x36B2 instead of 0x36B1\n"
         "                         version25          answer version 25 to a version-80 request\n"
         "                         result=CODE        refuse with this ReplyStatus result\n"
         "                         oversize=frame|format|string  a length field above its bound\n"
         "                         drip[=US]          send one byte at a time, US microseconds apart\n"
         "                         video-format=short|untyped|zero-width|negative-height\n"
         "                                            spoil the reply's video format block\n"
         "                         no-http            answer an HTTP stream 404 Not Found\n"
         "                         no-tcp             close a plain TCP request without a reply\n"
         "                         long-head          an HTTP stream's head of more than 512 bytes\n"
         "                         long-chunk-line    a first chunk-size line of 16 bytes and more\n"
         "                         tls11-only         TLS 1.1 and nothing newer (--fault only)\n"
         "                         close-in-handshake close TLS connections after the client's\n"
         "                                            hello (--fault only)\n"
         "                         udp-drop=N, udp-duplicate=N, udp-reorder=N\n"
         "                                            spoil N per mille of the RTP datagrams\n"
         "                         udp-seed=N         the seed of that choice (default 1)\n"
         "                         udp-pace=N         RTP frames at N% of their pace (default 125)\n"
         "                         ssrc-change=N      send N frames over RTP, then change the SSRC\n"
         "                         group-port-zero    name the multicast group with port 0\n"
         "                         control-byte-after=N  N frames over RTP multicast, then a byte\n"
         "                                            on the control connection\n"
         "                         multicast-strays   before each frame, a datagram of another SSRC\n"
         "                                            and a spoiled copy from 127.0.0.2"
         "  --allow-fault-suffix a request may add faults of its own after the last '#' of\n"
         "                       its resource name (testcard#drip); without this flag '#'\n"
         "                       is part of the name\n"
         "  --extension-bytes N  send N zero bytes of protocol-80 reply extension (default 0)\n"
         "  --user NAME:PASSWORD the user whose credential digest opens the live alias\n"
         "                       \"protected\" (default viewer:s3cret)\n"
         "  --session-id TOKEN   a session id made of TOKEN also opens it (default zms-session)\n"
         "  --protocol25-only    answer every protocol-80 request with a version-25 reply\n"
         "  --tls-cert FILE      PEM certificate (self-signed will do); with --tls-key, a\n"
         "                       connection that opens with a TLS handshake is served inside TLS\n"
         "  --tls-key FILE       PEM private key of that certificate\n"
         "  --https-port N       also listen on N for TLS connections only (0 picks a free port)\n"
         "  --multicast-group A  the group RTP multicast sessions send to (default 239.255.90.1)\n"
         "  --multicast-port N   their port; 0 (the default) picks a free port for each session\n"
         "  --help               print this text\n"
         "\n"
         "Prints \"listening on 127.0.0.1:PORT\" on stdout for each listener once it is ready,\n"
         "logs one line per connection and per command on stderr, stops on SIGINT or SIGTERM.\n";
}

bool ParseServerOptions(int argc, char** argv, ServerOptions* options, std::string* error) {
  for (int i = 1; i < argc; ++i) {
    std::string_view flag = argv[i];
    auto value = [&](std::string_view* out) {
      if (i + 1 >= argc) {
        *error = std::string(flag) + " needs a value";
        return false;
      }
      *out = argv[++i];
      return true;
    };
    std::string_view text;
    if (flag == "--help" || flag == "-h") {
      options->help = true;
    } else if (flag == "--port") {
      if (!value(&text)) return false;
      if (!ParsePort(text, &options->port)) {
        *error = "bad port \"" + std::string(text) + "\"";
        return false;
      }
    } else if (flag == "--local-port") {
      uint16_t port = 0;
      if (!value(&text)) return false;
      if (!ParsePort(text, &port)) {
        *error = "bad port \"" + std::string(text) + "\"";
        return false;
      }
      options->localPort = port;
    } else if (flag == "--fault") {
      if (!value(&text) || !ParseFaults(text, &options->faults, error)) return false;
    } else if (flag == "--allow-fault-suffix") {
      options->allowFaultSuffix = true;
    } else if (flag == "--extension-bytes") {
      if (!value(&text) || !ParsePort(text, &options->extensionBytes)) {
        if (error->empty()) *error = "bad extension size \"" + std::string(text) + "\"";
        return false;
      }
    } else if (flag == "--user") {
      if (!value(&text)) return false;
      const size_t colon = text.find(':');
      if (colon == std::string_view::npos || colon == 0 || colon + 1 == text.size()) {
        *error = "--user needs NAME:PASSWORD, both not empty";
        return false;
      }
      options->access.userName = text.substr(0, colon);
      options->access.password = text.substr(colon + 1);
    } else if (flag == "--session-id") {
      if (!value(&text)) return false;
      if (text.empty()) {
        *error = "--session-id needs a token that is not empty";
        return false;
      }
      options->access.sessionToken = text;
    } else if (flag == "--protocol25-only") {
      options->protocol25Only = true;
    } else if (flag == "--tls-cert" || flag == "--tls-key") {
      if (!value(&text)) return false;
      (flag == "--tls-cert" ? options->tlsCertificate : options->tlsKey) = text;
    } else if (flag == "--https-port") {
      uint16_t port = 0;
      if (!value(&text)) return false;
      if (!ParsePort(text, &port)) {
        *error = "bad port \"" + std::string(text) + "\"";
        return false;
      }
      options->httpsPort = port;
    } else if (flag == "--multicast-group") {
      if (!value(&text)) return false;
      if (!zm::protocol::ParseGroupAddress(text, options->multicast.group) ||
          !zm::protocol::IsMulticastAddress(options->multicast.group)) {
        *error = "bad multicast group \"" + std::string(text) + "\"";
        return false;
      }
    } else if (flag == "--multicast-port") {
      if (!value(&text)) return false;
      if (!ParsePort(text, &options->multicast.port)) {
        *error = "bad port \"" + std::string(text) + "\"";
        return false;
      }
    } else {
      *error = "unknown flag \"" + std::string(flag) + "\"";
      return false;
    }
  }
  if (options->tlsCertificate.empty() != options->tlsKey.empty()) {
    *error = "--tls-cert and --tls-key go together";
    return false;
  }
  if (options->httpsPort && options->tlsCertificate.empty()) {
    *error = "--https-port needs --tls-cert and --tls-key";
    return false;
  }
  return true;
}

}  // namespace zms
