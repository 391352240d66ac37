#include "peers/server/fault_plan.h"

#include <gtest/gtest.h>

namespace zms {
namespace {

TEST(FaultParsing, EveryFaultIsUnderstoodAndDescribedBack) {
  FaultPlan plan;
  std::string error;
  ASSERT_TRUE(
      ParseFaults("stall-after=4,close-mid-frame=2,wrong-magic,version25,result=0x8FFF0543,oversize=format,"
                  "drip=10,no-tcp,no-http,close-in-handshake,tls11-only,long-chunk-line,long-head",
                  &plan, &error))
      << error;
  EXPECT_EQ(4, plan.stallAfterFrames);
  EXPECT_EQ(2, plan.closeMidFrameAfter);
  EXPECT_TRUE(plan.wrongMagic);
  EXPECT_TRUE(plan.version25);
  EXPECT_EQ(0x8FFF0543u, plan.result);
  EXPECT_EQ(OversizeField::Format, plan.oversize);
  EXPECT_EQ(10, plan.dripMicroseconds);
  EXPECT_TRUE(plan.noHttp && plan.noTcp);
  EXPECT_TRUE(plan.longHttpHead && plan.longChunkLine && plan.tls11Only && plan.closeInHandshake);
  EXPECT_EQ(
      "stall-after=4,close-mid-frame=2,wrong-magic,version25,result=0x8FFF0543,oversize=format,drip=10,no-http,"
      "no-tcp,long-head,long-chunk-line,tls11-only,close-in-handshake",
      DescribeFaults(plan));
}

TEST(FaultParsing, EveryVideoFormatSpoilIsUnderstoodAndDescribedBack) {
  const std::pair<const char*, VideoFormatFault> cases[] = {
      {"video-format=short", VideoFormatFault::Short},
      {"video-format=untyped", VideoFormatFault::Untyped},
      {"video-format=zero-width", VideoFormatFault::ZeroWidth},
      {"video-format=negative-height", VideoFormatFault::NegativeHeight}};
  for (const auto& [text, fault] : cases) {
    FaultPlan plan;
    std::string error;
    ASSERT_TRUE(ParseFaults(text, &plan, &error)) << error;
    EXPECT_EQ(fault, plan.videoFormat) << text;
    EXPECT_TRUE(plan.Any()) << text;
    EXPECT_EQ(text, DescribeFaults(plan));
  }
}

TEST(FaultParsing, DatagramFaultsAreRatesPerMilleWithTheirSeed) {
  FaultPlan plan;
  std::string error;
  ASSERT_TRUE(
      ParseFaults("udp-drop=20,udp-duplicate=20,udp-reorder=20,udp-seed=7,ssrc-change=30,udp-pace=50", &plan, &error));
  EXPECT_TRUE(plan.UdpFaults() && plan.Any());
  EXPECT_EQ(7u, plan.udpSeed);
  EXPECT_EQ(50, plan.udpPacePercent);
  EXPECT_EQ("udp-drop=20,udp-duplicate=20,udp-reorder=20,udp-seed=7,ssrc-change=30,udp-pace=50", DescribeFaults(plan));
}

TEST(FaultParsing, MulticastFaultsAreUnderstoodAndDescribedBack) {
  FaultPlan plan;
  std::string error;
  ASSERT_TRUE(ParseFaults("multicast-strays,control-byte-after=75,group-port-zero", &plan, &error)) << error;
  EXPECT_TRUE(plan.groupPortZero && plan.multicastStrays && plan.Any());
  EXPECT_EQ(75, plan.controlByteAfter);
  EXPECT_EQ("group-port-zero,control-byte-after=75,multicast-strays", DescribeFaults(plan));
}

TEST(FaultParsing, RequestFaultsAddToTheFlagFaults) {
  FaultPlan plan;
  std::string error;
  ASSERT_TRUE(ParseFaults("drip", &plan, &error));
  ASSERT_TRUE(ParseFaults("result=1003", &plan, &error));
  EXPECT_EQ(0, plan.dripMicroseconds);
  EXPECT_EQ(1003u, plan.result);
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
