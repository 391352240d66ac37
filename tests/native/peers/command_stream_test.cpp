#include "peers/server/command_stream.h"

#include <gtest/gtest.h>

namespace zms {
namespace {

using Commands = std::vector<std::string>;

TEST(CommandSplitting, BackToBackCommandsAreSeparatedAndOneSplitAcrossReadsWaitsForItsRest) {
  CommandStream stream;
  EXPECT_EQ(Commands({"RTPFilePause", "Seek:12", "QC_RedundancyHalf", "RTPFileContinue", "QC_RedundancyMin"}),
            stream.Feed("RTPFilePauseSeek:12QC_RedundancyHalfRTPFileContinueQC_RedundancyMin"));
  EXPECT_EQ(Commands{}, stream.Feed("RTPFile"));
  EXPECT_EQ(Commands{"RTPFileContinue"}, stream.Feed("Continue"));
  EXPECT_EQ(Commands{}, stream.Feed("See"));
  EXPECT_EQ(Commands{"Seek:5"}, stream.Feed("k:5"));
}

TEST(CommandSplitting, UnknownBytesComeOutAsOneCommandUpToTheNextKnownStart) {
  CommandStream stream;
  EXPECT_EQ(Commands({"xyz", "Seek:1"}), stream.Feed("xyzSeek:1"));
  EXPECT_EQ(Commands({"QC_RedundancyFull"}), stream.Feed("QC_RedundancyFull"));
}

}  // namespace
}  // namespace zms
