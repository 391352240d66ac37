#include "peers/server/fault_plan.h"

#include <charconv>
#include <cstdio>

namespace zms {
namespace {

bool ParseNumber(std::string_view text, uint64_t* value) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  if (text.empty()) return false;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value, base);
  return ec == std::errc() && end == text.data() + text.size();
}

bool ParseCount(std::string_view text, int* value) {
  uint64_t n = 0;
  if (!ParseNumber(text, &n) || n > 1000000) return false;
  *value = static_cast<int>(n);
  return true;
}

}  // namespace

bool FaultPlan::Any() const {
  return stallAfterFrames || closeMidFrameAfter || wrongMagic || version25 || result ||
         oversize != OversizeField::None || dripMicroseconds || videoFormat != VideoFormatFault::None || noHttp ||
         noTcp || longHttpHead || longChunkLine || tls11Only || closeInHandshake || UdpFaults() || ssrcChangeAfter ||
         udpPacePercent != 125 || groupPortZero || controlByteAfter || multicastStrays;
}

bool ParseFaults(std::string_view text, FaultPlan* plan, std::string* error) {
  while (!text.empty()) {
    size_t comma = text.find(',');
    std::string_view item = text.substr(0, comma);
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    if (item.empty()) continue;
    size_t eq = item.find('=');
    std::string_view name = item.substr(0, eq);
    std::string_view value = eq == std::string_view::npos ? std::string_view() : item.substr(eq + 1);
    bool hasValue = eq != std::string_view::npos;
    bool ok = true;
    if (name == "stall-after") {
      int n = 0;
      ok = hasValue && ParseCount(value, &n);
      plan->stallAfterFrames = n;
    } else if (name == "close-mid-frame") {
      int n = 0;
      ok = hasValue && ParseCount(value, &n);
      plan->closeMidFrameAfter = n;
    } else if (name == "wrong-magic") {
      ok = !hasValue;
      plan->wrongMagic = true;
    } else if (name == "version25") {
      ok = !hasValue;
      plan->version25 = true;
    } else if (name == "no-http") {
      ok = !hasValue;
      plan->noHttp = true;
    } else if (name == "no-tcp") {
      ok = !hasValue;
      plan->noTcp = true;
    } else if (name == "long-head") {
      ok = !hasValue;
      plan->longHttpHead = true;
    } else if (name == "long-chunk-line") {
      ok = !hasValue;
      plan->longChunkLine = true;
    } else if (name == "tls11-only") {
      ok = !hasValue;
      plan->tls11Only = true;
    } else if (name == "group-port-zero") {
      ok = !hasValue;
      plan->groupPortZero = true;
    } else if (name == "multicast-strays") {
      ok = !hasValue;
      plan->multicastStrays = true;
    } else if (name == "control-byte-after") {
      int n = 0;
      ok = hasValue && ParseCount(value, &n);
      plan->controlByteAfter = n;
    } else if (name == "close-in-handshake") {
      ok = !hasValue;
      plan->closeInHandshake = true;
    } else if (name == "result") {
      uint64_t code = 0;
      ok = hasValue && ParseNumber(value, &code) && code != 0 && code <= 0xFFFFFFFF;
      plan->result = static_cast<uint32_t>(code);
    } else if (name == "oversize") {
      if (value == "frame") plan->oversize = OversizeField::Frame;
      else if (value == "format") plan->oversize = OversizeField::Format;
      else if (value == "string") plan->oversize = OversizeField::String;
      else ok = false;
    } else if (name == "video-format") {
      if (value == "short") plan->videoFormat = VideoFormatFault::Short;
      else if (value == "untyped") plan->videoFormat = VideoFormatFault::Untyped;
      else if (value == "zero-width") plan->videoFormat = VideoFormatFault::ZeroWidth;
      else if (value == "negative-height") plan->videoFormat = VideoFormatFault::NegativeHeight;
      else ok = false;
    } else if (name == "udp-drop" || name == "udp-duplicate" || name == "udp-reorder") {
      int n = 0;
      ok = hasValue && ParseCount(value, &n) && n <= 1000;
      (name == "udp-drop"        ? plan->udpDropPermille
       : name == "udp-duplicate" ? plan->udpDuplicatePermille
                                 : plan->udpReorderPermille) = n;
      ok = ok && plan->udpDropPermille + plan->udpDuplicatePermille + plan->udpReorderPermille <= 1000;
    } else if (name == "udp-seed") {
      uint64_t seed = 0;
      ok = hasValue && ParseNumber(value, &seed) && seed <= 0xFFFFFFFF;
      plan->udpSeed = static_cast<uint32_t>(seed);
    } else if (name == "udp-pace") {
      ok = hasValue && ParseCount(value, &plan->udpPacePercent) && plan->udpPacePercent >= 10;
    } else if (name == "ssrc-change") {
      int n = 0;
      ok = hasValue && ParseCount(value, &n);
      plan->ssrcChangeAfter = n;
    } else if (name == "drip") {
      int us = 0;
      ok = !hasValue || ParseCount(value, &us);
      plan->dripMicroseconds = us;
    } else {
      ok = false;
    }
    if (!ok) {
      *error = "bad fault \"" + std::string(item) + "\"";
      return false;
    }
  }
  return true;
}

std::string DescribeFaults(const FaultPlan& plan) {
  std::string text;
  auto add = [&text](const std::string& item) { text += (text.empty() ? "" : ",") + item; };
  if (plan.stallAfterFrames) add("stall-after=" + std::to_string(*plan.stallAfterFrames));
  if (plan.closeMidFrameAfter) add("close-mid-frame=" + std::to_string(*plan.closeMidFrameAfter));
  if (plan.wrongMagic) add("wrong-magic");
  if (plan.version25) add("version25");
  if (plan.result) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", *plan.result);
    add(std::string("result=") + code);
  }
  if (plan.oversize == OversizeField::Frame) add("oversize=frame");
  if (plan.oversize == OversizeField::Format) add("oversize=format");
  if (plan.oversize == OversizeField::String) add("oversize=string");
  if (plan.dripMicroseconds) add("drip=" + std::to_string(*plan.dripMicroseconds));
  if (plan.videoFormat == VideoFormatFault::Short) add("video-format=short");
  if (plan.videoFormat == VideoFormatFault::Untyped) add("video-format=untyped");
  if (plan.videoFormat == VideoFormatFault::ZeroWidth) add("video-format=zero-width");
  if (plan.videoFormat == VideoFormatFault::NegativeHeight) add("video-format=negative-height");
  if (plan.noHttp) add("no-http");
  if (plan.noTcp) add("no-tcp");
  if (plan.longHttpHead) add("long-head");
  if (plan.longChunkLine) add("long-chunk-line");
  if (plan.tls11Only) add("tls11-only");
  if (plan.closeInHandshake) add("close-in-handshake");
  if (plan.udpDropPermille) add("udp-drop=" + std::to_string(plan.udpDropPermille));
  if (plan.udpDuplicatePermille) add("udp-duplicate=" + std::to_string(plan.udpDuplicatePermille));
  if (plan.udpReorderPermille) add("udp-reorder=" + std::to_string(plan.udpReorderPermille));
  if (plan.UdpFaults()) add("udp-seed=" + std::to_string(plan.udpSeed));
  if (plan.ssrcChangeAfter) add("ssrc-change=" + std::to_string(*plan.ssrcChangeAfter));
  if (plan.udpPacePercent != 125) add("udp-pace=" + std::to_string(plan.udpPacePercent));
  if (plan.groupPortZero) add("group-port-zero");
  if (plan.controlByteAfter) add("control-byte-after=" + std::to_string(*plan.controlByteAfter));
  if (plan.multicastStrays) add("multicast-strays");
  return text.empty() ? "none" : text;
}

}  // namespace zms
