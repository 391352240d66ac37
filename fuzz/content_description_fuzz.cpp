// Fuzzes the content texts with arbitrary format blocks under each format type they are read
// by: every text keeps its shape, codec names stay short ASCII, and a block too short for the
// figures gives their fallbacks (ASan catches any read past a block).
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "protocol/media_type_guids.h"
#include "session/codec_names.h"
#include "session/content_description.h"

using namespace zm::protocol;
using namespace zm::session;
using zm::fuzz::Check;

namespace {

// Input layout: a video selector byte, an audio selector byte, a subtype (16 bytes), a split
// byte, then the bytes of the video block followed by those of the audio block.
constexpr Guid kAudioSummary{0x6BDDFA7E, 0x9F22, 0x46A9, {0xAB, 0x5E, 0x88, 0x4E, 0xFF, 0x29, 0x4D, 0x9F}};
constexpr Guid kVideoFormats[] = {FORMAT_VideoInfo, FORMAT_MPEGVideo, FORMAT_VideoInfo2, FORMAT_MPEG2Video,
                                  FORMAT_WaveFormatEx};
constexpr size_t kPictureEnd[] = {60, 60, 84, 84, 0};  // end of the bitmap height; 0: no header
constexpr Guid kAudioFormats[] = {FORMAT_WaveFormatEx, kAudioSummary, FORMAT_VideoInfo};
constexpr size_t kAudioEnd[] = {12, 16, 0};

bool EndsWith(const std::wstring& text, const std::wstring& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool StartsWith(const std::wstring& text, const std::wstring& head) { return text.compare(0, head.size(), head) == 0; }

bool IsFigure(const std::wstring& text, const wchar_t* unit) { return text == L"Unknown" || EndsWith(text, unit); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 19) return 0;
  const uint8_t videoSelector = data[0], audioSelector = data[1];
  const Guid subtype = DecodeGuid(data + 2);
  const size_t split = std::min<size_t>(data[18], size - 19);
  const uint8_t* blocks = data + 19;

  const std::optional<std::string> name = CodecNameFromSubtype(subtype);
  if (name) {
    Check(!name->empty() && name->size() <= 15);
    for (char c : *name) Check(c >= 0x20 && c < 0x7F);
  }

  StreamFormat video;
  const size_t v = videoSelector % 5;
  if (videoSelector & 0x80) video.type.majorType = MEDIATYPE_Video;
  video.type.subType = subtype;
  video.type.formatType = kVideoFormats[v];
  video.formatBlock.assign(blocks, blocks + split);  // exactly sized, so ASan sees one byte past
  const VideoContent vc = DescribeVideoContent(video);
  if (!video.IsPresent()) {
    Check(vc.title == kTextNoVideoStream && vc.bitRate.empty() && vc.frameRate.empty() && vc.size.empty());
  } else {
    Check(StartsWith(vc.title, L"Video content - "));
    Check(IsFigure(vc.bitRate, L" kByte/s") && IsFigure(vc.frameRate, L" fps"));
    Check(vc.size.find(L'x') != std::wstring::npos);
    if (video.formatBlock.size() < kPictureEnd[v] || kPictureEnd[v] == 0)
      Check(vc.bitRate == L"Unknown" && vc.frameRate == L"Unknown" && vc.size == L"0x0");
  }

  StreamFormat audio;
  const size_t a = audioSelector % 3;
  if (audioSelector & 0x80) audio.type.majorType = (audioSelector & 0x40) ? MEDIATYPE_Video : MEDIATYPE_Audio;
  audio.type.subType = subtype;
  audio.type.formatType = kAudioFormats[a];
  audio.formatBlock.assign(blocks + split, data + size);
  const AudioContent ac = DescribeAudioContent(audio);
  if (!audio.IsPresent()) {
    Check(ac.title == kTextNoAudioStream && ac.bitRate.empty() && ac.sampleRate.empty() && ac.channels.empty());
  } else {
    Check(StartsWith(ac.title, L"Audio content - "));
    Check(IsFigure(ac.bitRate, L" kByte/s") && EndsWith(ac.sampleRate, L" kHz") && !ac.channels.empty());
    if (audio.formatBlock.size() < kAudioEnd[a] || kAudioEnd[a] == 0 || audio.type.majorType != MEDIATYPE_Audio)
      Check(ac.bitRate == L"Unknown" && ac.sampleRate == L"0.0 kHz" && ac.channels == L"0");
  }
  return 0;
}
