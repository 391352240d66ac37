#!/usr/bin/env bash
# What goes over loopback, as tshark decodes it, while a transport test plays from the reference
# server: the HTTP stream is HTTP/1.1 with a chunked body, the TLS session is TLS 1.2 with one of
# the eight suites the client offers, and the RTP datagrams are version 2 with one payload type,
# one SSRC and consecutive sequence numbers (a clean session's). Skipped (77) when tshark is
# missing or cannot capture on lo.
# Usage: capture_check.sh http|tls|rtp SERVER WINE_RUN PREFIX TEST_EXE GTEST_FILTER
# (No `| head` under pipefail here: the writer's SIGPIPE would end the script without a word.)
set -euo pipefail
kind=$1 server=$2 wine_run=$3 prefix=$4 test_exe=$5 filter=$6
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)

if ! command -v tshark >/dev/null || ! tshark -D 2>/dev/null | grep -qw lo; then
  echo "capture check skipped: tshark is missing or cannot capture on lo"
  exit 77
fi

work=$(mktemp -d)
trap '[ -n "${ZM_KEEP_CAPTURE:-}" ] || rm -rf "$work"' EXIT
export CAPTURE_KIND=$kind CAPTURE_DIR=$work
# Inside the server's run, where its ports are known: capture, play, stop capturing.
"$root/scripts/with-zms-server" "$server" -- bash -c '
  set -euo pipefail
  tshark -i lo -f "udp or tcp port $ZMS_PORT or tcp port $ZMS_HTTPS_PORT" -w "$CAPTURE_DIR/lo.pcapng" \
    2>"$CAPTURE_DIR/tshark.log" &
  tshark_pid=$!
  for _ in $(seq 100); do grep -q "Capturing on" "$CAPTURE_DIR/tshark.log" && break; sleep 0.1; done
  status=0
  "$@" || status=$?
  sleep 0.5  # the last datagrams reach the capture
  kill -INT "$tshark_pid"
  wait "$tshark_pid" || true
  echo "$ZMS_PORT $ZMS_HTTPS_PORT" >"$CAPTURE_DIR/ports"
  exit $status
' capture "$wine_run" --prefix "$prefix" "$test_exe" --gtest_filter="$filter" >"$work/test.log" 2>&1 ||
  echo "capture check: the test itself failed (its own entry judges it); the capture is checked all the same"
read -r port https_port <"$work/ports"
pcap=$work/lo.pcapng

fail() {
  echo "capture check ($kind) failed: $*"
  exit 1
}

case $kind in
http)
  # The stream's body never ends while the test reads it: its head is decoded without it.
  responses=$(tshark -r "$pcap" -o http.desegment_body:FALSE -d "tcp.port==$port,http" -Y "http.response" \
    -T fields -e http.response.version -e http.response.code -e http.transfer_encoding)
  grep -qP '^HTTP/1\.1\t200\tchunked$' <<<"$responses" || fail "no HTTP/1.1 200 response with a chunked body: $responses"
  requests=$(tshark -r "$pcap" -d "tcp.port==$port,http" -Y "http.request" \
    -T fields -e http.request.method -e http.request.version | sort -u)
  grep -qP '^GET\tHTTP/1\.1$' <<<"$requests" || fail "no HTTP/1.1 GET: $requests"
  echo "capture check (http): the stream's response HTTP/1.1 200 chunked; requests: $(echo "$requests" | tr '\t\n' ' ')"
  ;;
tls)
  hellos=$(tshark -r "$pcap" -d "tcp.port==$https_port,tls" -d "tcp.port==$port,tls" \
    -Y "tls.handshake.type==2" -T fields -e tls.handshake.version -e tls.handshake.ciphersuite | sort -u)
  [ -n "$hellos" ] || fail "no ServerHello decoded"
  while IFS=$'\t' read -r version suite; do
    [ "$version" = 0x0303 ] || fail "ServerHello version $version, not TLS 1.2"
    case $suite in
    0x002f | 0x0033 | 0x0035 | 0x0039 | 0x003c | 0x003d | 0x0067 | 0x006b) ;;
    *) fail "suite $suite is not one the client offers" ;;
    esac
  done <<<"$hellos"
  echo "capture check (tls): $(echo "$hellos" | tr '\t\n' ' ')"
  ;;
rtp)
  # The datagrams from the server's media port, taken from the first session's client port:
  # that session is the clean one.
  media=$(awk 'match($0, /: media port [0-9]+$/) { print substr($0, RSTART + 13); exit }' "$work/test.log")
  [ -n "$media" ] || fail "the server logged no media port"
  port=$media
  datagrams=$(tshark -r "$pcap" -d "udp.port==$port,rtp" -Y "udp.srcport==$port" \
    -T fields -e udp.dstport -e rtp.version -e rtp.p_type -e rtp.ssrc -e rtp.seq)
  [ -n "$datagrams" ] || fail "no datagram from the server's port $port"
  first=$(awk -F'\t' 'NR == 1 { print $1 }' <<<"$datagrams")
  awk -F'\t' -v client="$first" '
    $1 != client { next }
    $3 % 2 == 1 { copies++; next }  # a redundant copy repeats its packet number
    { n++ }
    $2 != 2 { print "version " $2 " in datagram " n; bad = 1; exit }
    n == 1 { type = $3; ssrc = $4 }
    $3 != type || $4 != ssrc { print "payload type " $3 " or SSRC " $4 " changed at datagram " n; bad = 1; exit }
    n > 1 && $5 != (last + 1) % 65536 { print "sequence " $5 " after " last; bad = 1; exit }
    { last = $5 }
    END {
      if (bad) exit 1
      if (n < 100) { print "only " n " datagrams"; exit 1 }
      printf "capture check (rtp): %d datagrams to port %s, version 2, payload type %s, SSRC %s, consecutive sequence numbers; %d redundant copies\n", n, client, type, ssrc, copies
    }' <<<"$datagrams" || fail "see above"
  ;;
*)
  fail "unknown kind"
  ;;
esac
