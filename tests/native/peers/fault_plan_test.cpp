#include "peers/server/fault_plan.h"

#include <gtest/gtest.h>

namespace zms {
namespace {

TEST(FaultParsing, EveryFaultIsUnderstoodAndDescribedBack) {
  // What is parsed, and how it is described back: in an order of its own.
  const std::pair<const char*, const char*> groups[] = {
      {"stall-after=4,close-mid-frame=2,wrong-magic,version25,result=0x8FFF0543,oversize=format,drip=10,no-tcp,"
       "no-http,close-in-handshake,tls11-only,long-chunk-line,long-head",
       "stall-after=4,close-mid-frame=2,wrong-magic,version25,result=0x8FFF0543,oversize=format,drip=10,no-http,"
       "no-tcp,long-head,long-chunk-line,tls11-only,close-in-handshake"},
      {"udp-drop=20,udp-duplicate=20,udp-reorder=20,udp-seed=7,ssrc-change=30,udp-pace=50",
       "udp-drop=20,udp-duplicate=20,udp-reorder=20,udp-seed=7,ssrc-change=30,udp-pace=50"},
      {"multicast-strays,control-byte-after=75,group-port-zero",
       "group-port-zero,control-byte-after=75,multicast-strays"}};
  FaultPlan plan[3];
  std::string error;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(ParseFaults(groups[i].first, &plan[i], &error)) << error;
    EXPECT_TRUE(plan[i].Any()) << groups[i].first;
    EXPECT_EQ(groups[i].second, DescribeFaults(plan[i]));
  }
  const FaultPlan& p = plan[0];
  EXPECT_EQ(std::tuple(p.stallAfterFrames, p.closeMidFrameAfter, p.result, p.oversize, p.dripMicroseconds),
            std::tuple(4, 2, 0x8FFF0543u, OversizeField::Format, 10));
  EXPECT_TRUE(p.wrongMagic && p.version25 && p.noHttp && p.noTcp);
  EXPECT_TRUE(p.longHttpHead && p.longChunkLine && p.tls11Only && p.closeInHandshake);
  const FaultPlan& udp = plan[1];
  EXPECT_TRUE(udp.UdpFaults());
  EXPECT_EQ(std::tuple(udp.udpDropPermille, udp.udpDuplicatePermille, udp.udpReorderPermille, udp.udpSeed,
                       udp.ssrcChangeAfter, udp.udpPacePercent),
            std::tuple(20, 20, 20, 7u, std::optional(30), 50));
  EXPECT_TRUE(plan[2].groupPortZero && plan[2].multicastStrays);
  EXPECT_EQ(75, plan[2].controlByteAfter);
  for (const auto& [text, fault] : {std::pair{"video-format=short", VideoFormatFault::Short},
                                    {"video-format=untyped", VideoFormatFault::Untyped},
                                    {"video-format=zero-width", VideoFormatFault::ZeroWidth},
                                    {"video-format=negative-height", VideoFormatFault::NegativeHeight}}) {
    FaultPlan video;
    ASSERT_TRUE(ParseFaults(text, &video, &error)) << error;
    EXPECT_EQ(std::tuple(fault, true, std::string(text)),
              std::tuple(video.videoFormat, video.Any(), DescribeFaults(video)));
  }
}

TEST(FaultParsing, RequestFaultsAddToTheFlagFaults) {
  FaultPlan plan;
  std::string error;
  ASSERT_TRUE(ParseFaults("drip", &plan, &error));
  ASSERT_TRUE(ParseFaults("result=1003", &plan, &error));
  EXPECT_EQ(std::tuple(0, 1003u), std::tuple(plan.dripMicroseconds, plan.result));
}

TEST(FaultParsing, MalformedFaultsAreRefused) {
  for (const char* text : {"stall-after", "stall-after=x", "result=0", "result=0x1FFFFFFFF", "oversize=reply",
                           "wrong-magic=1", "no-http=1", "tls11-only=1", "explode", "video-format", "video-format=tall",
                           "udp-drop=1001", "udp-drop=600,udp-reorder=401", "udp-seed=", "ssrc-change", "udp-pace=9",
                           "control-byte-after", "group-port-zero=1"}) {
    FaultPlan plan;
    std::string error;
    EXPECT_FALSE(ParseFaults(text, &plan, &error)) << text;
    EXPECT_NE(std::string::npos, error.find("bad fault")) << text;
  }
}

}  // namespace
}  // namespace zms
