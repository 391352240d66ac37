// URLEncode: letters and digits stay, everything else is "%XX" of its UTF-8 bytes, so the
// result cannot be mistaken for the request's own separators.
#include "protocol/url_encode.h"

#include <gtest/gtest.h>

#include <string>

namespace zm::protocol {
namespace {

// The percent sign is escaped too, so escapes are not read again; an unpaired surrogate is sent
// as the replacement character.
TEST(URLEncode, LettersAndDigitsStayAndEveryOtherByteIsEscapedInUpperCaseHex) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"ABCXYZabcxyz0189", u"ABCXYZabcxyz0189"},
      {u"", u""},
      {u"100%20", u"100%2520"},
      {u" \"<>#{}|\\^~[]`", u"%20%22%3C%3E%23%7B%7D%7C%5C%5E%7E%5B%5D%60"},
      {u"\x01\x1F\x7F\r\n", u"%01%1F%7F%0D%0A"},
      {u"&/:@.-_*=?+!,;$'()", u"%26%2F%3A%40%2E%2D%5F%2A%3D%3F%2B%21%2C%3B%24%27%28%29"},
      {u"Vid\u00e9o", u"Vid%C3%A9o"},
      {u"\u20ac\u00a0", u"%E2%82%AC%C2%A0"},
      {u"\U0001F600", u"%F0%9F%98%80"},
      {u"a\xDC00", u"a%EF%BF%BD"}};
  for (const auto& [text, encoded] : cases) EXPECT_EQ(URLEncode(text), encoded);
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
