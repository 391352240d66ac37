// The figures read out of the stream descriptions. Both streams' figures, short blocks at every
// cut and a video record that is no video are proven through their texts in
// content_description_test.cpp; the picture size's own rules through ApplyReply. What is left
// is the second header layout, whose bitmap header starts at 72.
#include "session/stream_facts.h"

#include <gtest/gtest.h>

#include "protocol/media_type_guids.h"

namespace zm::session {
namespace {

void Put(std::vector<uint8_t>& block, size_t at, uint64_t value, size_t size) {
  if (block.size() < at + size) block.resize(at + size);
  for (size_t i = 0; i < size; ++i) block[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

TEST(StreamFactsTest, VideoInfo2FiguresComeFromItsOwnLayout) {
  protocol::StreamFormat f;
  f.type.majorType = protocol::MEDIATYPE_Video;
  f.type.formatType = protocol::FORMAT_VideoInfo2;
  Put(f.formatBlock, 32, 2000000, 4);  // bit rate
  Put(f.formatBlock, 40, 400000, 8);   // frame time
  Put(f.formatBlock, 72, 40, 4);       // the bitmap header: size, width, height
  Put(f.formatBlock, 76, 320, 4);
  Put(f.formatBlock, 80, 240, 4);
  const VideoFacts facts = ReadVideoFacts(f);
  EXPECT_EQ(std::tuple(true, 320, 240, 2000000u, int64_t{400000}),
            std::tuple(facts.hasPictureHeader, facts.width, facts.height, facts.bitRate, facts.avgTimePerFrame));
  f.type.formatType = protocol::FORMAT_VideoInfo;  // read at 48, where this block holds no width
  EXPECT_FALSE(ReadVideoFacts(f).hasPictureHeader);
}

}  // namespace
}  // namespace zm::session
