// The tools' UTF-8 decoder at the edges of each length, and the forms it
// refuses: overlong, surrogate, beyond U+10FFFF, cut short.
#include "utf8.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// The length and code point decoded at `at`, as "length U+CODE".
std::string decoded(std::string_view text, size_t at = 0) {
  const Utf8_Character character = decode_utf8(text, at);
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", character.code);
  return std::to_string(character.length) + " " + code;
}

const std::string REFUSED = "0 U+0000";

}  // namespace

TEST(Utf8, EachLengthFromItsSmallestToItsLargest) {
  EXPECT_EQ(decoded(std::string(1, '\0')), "1 U+0000");
  EXPECT_EQ(decoded("\x7f"), "1 U+007F");
  EXPECT_EQ(decoded("\xc2\x80"), "2 U+0080");
  EXPECT_EQ(decoded("\xdf\xbf"), "2 U+07FF");
  EXPECT_EQ(decoded("\xe0\xa0\x80"), "3 U+0800");
  EXPECT_EQ(decoded("\xef\xbf\xbf"), "3 U+FFFF");
  EXPECT_EQ(decoded("\xf0\x90\x80\x80"), "4 U+10000");
  EXPECT_EQ(decoded("\xf4\x8f\xbf\xbf"), "4 U+10FFFF");
  // Either side of the surrogates.
  EXPECT_EQ(decoded("\xed\x9f\xbf"), "3 U+D7FF");
  EXPECT_EQ(decoded("\xee\x80\x80"), "3 U+E000");
}

TEST(Utf8, OverlongFormsSurrogatesAndBeyondAreRefused) {
  for (const char* overlong :
       {"\xc0\x80", "\xc0\xaf", "\xc1\xbf", "\xe0\x80\x80", "\xe0\x9f\xbf", "\xf0\x80\x80\x80", "\xf0\x8f\xbf\xbf"})
    EXPECT_EQ(decoded(overlong), REFUSED);
  EXPECT_EQ(decoded("\xed\xa0\x80"), REFUSED) << "U+D800";
  EXPECT_EQ(decoded("\xed\xbf\xbf"), REFUSED) << "U+DFFF";
  EXPECT_EQ(decoded("\xf4\x90\x80\x80"), REFUSED) << "U+110000";
  for (const char* beyond : {"\xf5\x80\x80\x80", "\xf7\xbf\xbf\xbf", "\xf8\x88\x80\x80\x80", "\xff"})
    EXPECT_EQ(decoded(beyond), REFUSED);
  EXPECT_EQ(decoded("\x80"), REFUSED) << "a continuation byte starts nothing";
  EXPECT_EQ(decoded("\xbf\xbf"), REFUSED);
}

TEST(Utf8, SequencesCutShortAreRefused) {
  EXPECT_EQ(decoded("\xc3"), REFUSED);
  EXPECT_EQ(decoded("\xe2\x82"), REFUSED);
  EXPECT_EQ(decoded("\xf0\x9f\x98"), REFUSED);
  // By a byte that is no continuation, ASCII or a new lead byte.
  EXPECT_EQ(decoded("\xe2\x28\xa1"), REFUSED);
  EXPECT_EQ(decoded("\xf0\x9f\xc3\xa9"), REFUSED);
  // The end is the text's, wherever the sequence starts in it.
  const std::string text = "D\xc3\xa9\xe2\x82";
  EXPECT_EQ(decoded(text, 1), "2 U+00E9");
  EXPECT_EQ(decoded(text, 3), REFUSED);
  EXPECT_EQ(decoded(std::string_view(text).substr(0, 2), 1), REFUSED);
}
