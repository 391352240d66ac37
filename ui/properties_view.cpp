#include "ui/properties_view.h"

#include <algorithm>

#include "session/ascii_format.h"

namespace zm::ui {
namespace {

using session::FormatAscii;

constexpr int32_t kBarScale = 1000;

const wchar_t* ProtocolText(int32_t transport) {
  switch (transport) {
    case protocol::Tcp: return L"TCP";
    case protocol::Http: return L"HTTP";
    case protocol::Https: return L"HTTPS";
    case protocol::RtpUnicast: return L"RTP (UDP) Unicast";
    case protocol::RtpMulticast: return L"RTP (UDP) Multicast";
    default: return L"";
  }
}

}  // namespace

std::wstring DurationText(int32_t durationMs) {
  // The server's field is unsigned. Hours are not wrapped within a day: a stored program of
  // 25 hours reads 25, not 01.
  const unsigned d = static_cast<uint32_t>(durationMs) / 1000;
  if (d >= 3600) return FormatAscii("%02u hr, %02u min, %02u sec", d / 3600, d / 60 % 60, d % 60);
  if (d >= 60) return FormatAscii("%02u min, %02u sec", d / 60, d % 60);
  if (d != 0) return FormatAscii("%02u sec", d);
  return session::kTextUnknown;
}

PropertiesHeader DescribeSessionHeader(const session::PlayerSettings& settings, const session::SessionValues& session) {
  PropertiesHeader h;
  h.title =
      session.m_bAudioDecoderMissing ? L"Properties   ...No audio decoder found. Playing video only..." : L"Properties";
  h.server = settings.m_nResourceKind == protocol::LiveLocal
                 ? std::wstring(L"No server - local preview")
                 : settings.m_sServerAddr + L":" + std::to_wstring(settings.m_nServerPort);
  h.protocol = ProtocolText(settings.m_nTransport);
  h.name = session.m_sMediaName;
  h.duration = DurationText(session.m_nDurationMs);
  h.mode =
      session.m_nStreamKind == 1 ? (session.m_bLiveBuffering ? L"Live, Non Real Time" : L"Live, Real Time") : L"File";
  h.video = session::DescribeVideoContent(session.m_videoType);
  h.audio = session::DescribeAudioContent(session.m_audioType);
  if (!session.m_bAudioWithVideo) {
    if (session.m_bAudioOnly) {
      h.videoFiguresShown = false;
      h.video = {session::kTextNoVideoStream, {}, {}, {}};
    } else {
      h.audioFiguresShown = false;
      h.audio = {session::kTextNoAudioStream, {}, {}, {}};
    }
  }
  return h;
}

TransmissionView TransmissionFigures::Update(const TransmissionInputs& in) {
  if (in.received) {
    framesPerSecond_ = in.received->videoFramesPerSecond;
    bytesPerSecond_ = in.received->bytesPerSecond;
    if (in.received->reception) reception_ = in.received->reception;
  }
  TransmissionView v;
  if (in.streamsEnded) {
    bytesPerSecond_ = 0;
    ended_ = true;
    v.group = L"Transmission - finished";
  } else if (in.buffering) {
    v.barsRed = true;
    v.group = L"Transmission - in progress. Buffering: " + std::to_wstring(std::max(in.bufferingPercent, 0)) +
              L"%. Playback paused";
  } else {
    v.group = L"Transmission - in progress";
  }
  v.frameRateShown = !ended_;
  // Before the first sample there is no figure; it reads as nothing received, not a negative rate.
  v.bitRate = FormatAscii("%.1f kByte/s", std::max(bytesPerSecond_, 0) * 0.0009765625);
  v.frameRate = FormatAscii("%d fps", framesPerSecond_);
  v.videoFill = static_cast<int32_t>(std::min<size_t>(in.videoFrames, kBarScale));
  v.audioFill = static_cast<int32_t>(std::min<size_t>(in.audioFrames, kBarScale));
  v.videoCount = std::to_wstring(in.videoFrames);
  v.audioCount = std::to_wstring(in.audioFrames);
  if (reception_) {
    // The server's RTP timestamps count milliseconds, and so does the jitter.
    v.reception =
        FormatAscii("RTP packets: %llu received, %lld lost, %llu recovered; jitter %u ms",
                    static_cast<unsigned long long>(reception_->received), static_cast<long long>(reception_->lost),
                    static_cast<unsigned long long>(reception_->recovered), reception_->jitter);
  }
  return v;
}

}  // namespace zm::ui
