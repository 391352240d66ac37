// URLEncode: what stays, which characters are escaped and how, and that the result cannot
// be mistaken for the request's own separators.
#include "protocol/url_encode.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace zm::protocol {
namespace {

// "%XX" of one byte, two upper-case digits, built here with printf itself.
std::u16string Escape(unsigned byte) {
  char text[4];
  std::snprintf(text, sizeof text, "%%%02X", byte);
  return std::u16string(text, text + 3);
}

TEST(URLEncode, KeepsAsciiLettersAndDigits) {
  const std::u16string text = u"ABCXYZabcxyz0189";
  EXPECT_EQ(URLEncode(text), text);
  EXPECT_EQ(URLEncode(u""), u"");
}

TEST(URLEncode, EscapesThePercentSignFirstSoEscapesAreNotReread) {
  EXPECT_EQ(URLEncode(u"%"), u"%25");
  EXPECT_EQ(URLEncode(u"100%20"), u"100%2520");
}

TEST(URLEncode, EscapesTheFourteenUnsafeCharactersInUpperCaseHex) {
  for (char16_t c : std::u16string_view(u" \"<>#{}|\\^~[]`")) {
    EXPECT_EQ(URLEncode(std::u16string(1, c)), Escape(c)) << "character " << static_cast<int>(c);
  }
  EXPECT_EQ(URLEncode(u"{x}"), u"%7Bx%7D");
  EXPECT_EQ(URLEncode(u"a b"), u"a%20b");
}

TEST(URLEncode, EscapesControlCharacters) {
  for (char16_t c = 0x01; c <= 0x1F; ++c) EXPECT_EQ(URLEncode(std::u16string(1, c)), Escape(c));
  EXPECT_EQ(URLEncode(u"\x7f"), u"%7F");
  EXPECT_EQ(URLEncode(u"\r\n"), u"%0D%0A");
}

TEST(URLEncode, EscapesEveryOtherAsciiCharacter) {
  EXPECT_EQ(URLEncode(u"&/:@.-_*=?+!,;$'()"),
            u"%26%2F%3A%40%2E%2D%5F%2A%3D%3F%2B%21%2C%3B%24%27%28%29");
}

TEST(URLEncode, EscapesTheUtf8BytesOfNonAsciiCharacters) {
  EXPECT_EQ(URLEncode(u"Vid\u00e9o"), u"Vid%C3%A9o");
  EXPECT_EQ(URLEncode(u"\u20ac"), u"%E2%82%AC");
  EXPECT_EQ(URLEncode(u"\U0001F600"), u"%F0%9F%98%80");
  EXPECT_EQ(URLEncode(u"\u00a0"), u"%C2%A0");
}

TEST(URLEncode, UnpairedSurrogateIsSentAsTheReplacementCharacter) {
  EXPECT_EQ(URLEncode(u"a\xDC00"), u"a%EF%BF%BD");
}

TEST(URLEncode, ResultHoldsOnlyLettersDigitsAndPercent) {
  std::u16string all;
  for (char16_t c = 1; c < 0x180; ++c) all.push_back(c);
  all += u"\U0001F600\xD800";
  for (char16_t c : URLEncode(all)) {
    bool plain = (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'%';
    EXPECT_TRUE(plain) << "character " << static_cast<int>(c);
  }
}

}  // namespace
}  // namespace zm::protocol
