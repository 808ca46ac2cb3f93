// The shared text helpers: what each one does at its edges.
#include "port/Text.h"

#include <gtest/gtest.h>

#include <string>
#include <typeinfo>

namespace {

TEST(Text, SameTextNoCaseFoldsOnlyAsciiLetters) {
  struct TCase {
    std::string vLeft, vRight;
    bool vSame;
  } const vCases[] = {
      {"IVelmora", "ivelmora", true},   {"HTTP_Proxy", "http_proxy", true}, {"", "", true},
      {"abc", "abcd", false},           {"\xC7", "\xE7", false},            {"[", "{", false},
      {std::string("a\0b", 3), std::string("A\0c", 3), false},              {"@", "`", false},
  };
  for (const TCase& c : vCases) EXPECT_EQ(port::FSameTextNoCase(c.vLeft, c.vRight), c.vSame) << c.vLeft;
}

TEST(Text, TrimDropsBlanksAndControlBytesOnly) {
  struct TCase {
    std::string vText, vTrimmed;
  } const vCases[] = {
      {" 123 ", "123"},
      {std::string("\0\t\r\n\x1F x y \x01", 11), "x y"},
      {"\xA0" "a\xA0", "\xA0" "a\xA0"},
      {"   ", ""},
      {"", ""},
  };
  for (const TCase& c : vCases) EXPECT_EQ(port::FTrim(c.vText), c.vTrimmed) << c.vText;
}

TEST(Text, FormatFillsPlaceholdersInOrderAndOnce) {
  struct TCase {
    std::string vPattern;
    std::string vFirst, vSecond;
    std::string vResult;
  } const vCases[] = {
      {"No method named '%s' is supported by interface '%s'", "X", "IVelmora",
       "No method named 'X' is supported by interface 'IVelmora'"},
      {"'%s' '%s'", "%s", "b", "'%s' 'b'"},
      {"%s %s %s", "a", "b", "a b "},
      {"100% %d %", "a", "b", "100% %d %"},
  };
  for (const TCase& c : vCases) EXPECT_EQ(port::FFormat(c.vPattern, {c.vFirst, c.vSecond}), c.vResult) << c.vPattern;
}

struct TSample {};

TEST(Text, DemangleReadsTypeNamesAndKeepsOthers) {
  EXPECT_EQ(port::FDemangle(typeid(TSample).name()), "(anonymous namespace)::TSample");
  EXPECT_EQ(port::FDemangle("main"), "main");
  EXPECT_EQ(port::FDemangle("_Z"), "_Z");
}

}  // namespace
