// The host code page against UTF-8: every byte round-trips, what the code
// page cannot hold and broken UTF-8 become "?".
#include <gtest/gtest.h>

#include <string>

#include "soap/CodePage.h"

namespace {

TEST(CodePage, EveryByteRoundTrips) {
  std::string vAll;
  for (int i = 1; i < 256; ++i) vAll += static_cast<char>(i);
  EXPECT_EQ(soap::FUtf8ToAnsi(soap::FAnsiToUtf8(vAll)), vAll);
}

TEST(CodePage, ConvertsBothWays) {
  struct TCase {
    const char* vAnsi;
    const char* vUtf8;
  } vCases[] = {
      {"a\xE3\xE7", "a\xC3\xA3\xC3\xA7"},
      {"\x80\x9F", "\xE2\x82\xAC\xC5\xB8"},
      {"\x81\x8D\x8F\x90\x9D", "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},
  };
  for (const TCase& c : vCases) {
    EXPECT_EQ(soap::FAnsiToUtf8(c.vAnsi), c.vUtf8);
    EXPECT_EQ(soap::FUtf8ToAnsi(c.vUtf8), c.vAnsi);
  }
}

TEST(CodePage, WhatCannotBeHeldBecomesAQuestionMark) {
  struct TCase {
    std::string vUtf8;
    const char* vAnsi;
  } vCases[] = {
      {"\xE2\x86\x92", "?"},          // not in the code page
      {"\xC2\x80", "?"},              // U+0080 has no byte: 0x80 is the euro sign
      {"\xF0\x9F\x98\x80x", "?x"},    // beyond the BMP
      {"\xFF" "a", "?a"},             // invalid lead byte
      {"\xC3", "?"},                  // truncated at the end
      {"\xC3(", "?("},                // bad continuation
      {"\xC0\xAF", "??"},             // overlong
      {"\xED\xA0\x80", "???"},        // surrogate
  };
  for (const TCase& c : vCases) EXPECT_EQ(soap::FUtf8ToAnsi(c.vUtf8), c.vAnsi) << c.vUtf8;
}

}  // namespace
