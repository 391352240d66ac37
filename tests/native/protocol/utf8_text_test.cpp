// UTF-16 to UTF-8: every length of sequence, surrogate pairs, and unpaired surrogates.
#include "protocol/utf8_text.h"

#include <gtest/gtest.h>

namespace zm::protocol {
namespace {

TEST(Utf16ToUtf8, EncodesOneToFourByteSequencesAndKeepsAnEmbeddedNul) {
  EXPECT_EQ(Utf16ToUtf8(u"A\u00e9\u20ac\U0001F600"), "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf16ToUtf8(u"\u07ff\u0800\uffff"), "\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF");
  EXPECT_EQ(Utf16ToUtf8(std::u16string_view(u"a\0b", 3)), std::string("a\0b", 3));
}

TEST(Utf16ToUtf8, UnpairedSurrogatesBecomeTheReplacementCharacter) {
  const std::string replacement = "\xEF\xBF\xBD";
  EXPECT_EQ(Utf16ToUtf8(u"\xD83D"), replacement);         // high at the end
  EXPECT_EQ(Utf16ToUtf8(u"\xDE00x"), replacement + "x");  // low alone
  EXPECT_EQ(Utf16ToUtf8(u"\xD83Dx"), replacement + "x");  // high before a non-surrogate
  EXPECT_EQ(Utf16ToUtf8(u"\xD83D\xD83D\xDE00"), replacement + "\xF0\x9F\x98\x80");
}

TEST(AppendUtf8, OutOfRangeCodePointsBecomeTheReplacementCharacter) {
  std::string out;
  AppendUtf8(0x110000, out);
  AppendUtf8(0xD800, out);
  EXPECT_EQ(out, "\xEF\xBF\xBD\xEF\xBF\xBD");
}

}  // namespace
}  // namespace zm::protocol
