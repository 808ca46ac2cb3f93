// The SOAP layer's one XML escaper, mode by mode, and the element writer
// built on it.
#include "soap/XmlTextWriter.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using soap::TXmlEscape;

TEST(XmlTextWriter, EscapesEachModeByItsOwnRule) {
  struct TCase {
    std::string vInput;
    std::string vText, vAttribute, vMinimal;
  } const vCases[] = {
      {"a&b<c>d", "a&amp;b&lt;c&gt;d", "a&amp;b&lt;c&gt;d", "a&amp;b&lt;c>d"},
      // CR has one form wherever it is escaped; the fixed fault text keeps it.
      {"l1\r\nl2\tx", "l1&#13;\nl2\tx", "l1&#13;&#10;l2&#9;x", "l1\r\nl2\tx"},
      {"say \"hi\" 'x'", "say \"hi\" 'x'", "say &quot;hi&quot; 'x'", "say \"hi\" 'x'"},
      {"a]]>b ]>c", "a]]&gt;b ]&gt;c", "a]]&gt;b ]&gt;c", "a]]&gt;b ]>c"},
      // Not XML 1.0 characters, and bytes that are not UTF-8: "?".
      {std::string("a\x01" "b\0c", 5) + "\xC3(\xEF\xBF\xBE", "a?b?c?(?", "a?b?c?(?", "a?b?c?(?"},
      {"Jo\xC3\xA3o \xE2\x82\xAC \xF0\x9F\x98\x80", "Jo\xC3\xA3o \xE2\x82\xAC \xF0\x9F\x98\x80",
       "Jo\xC3\xA3o \xE2\x82\xAC \xF0\x9F\x98\x80", "Jo\xC3\xA3o \xE2\x82\xAC \xF0\x9F\x98\x80"},
      {"", "", "", ""},
  };
  for (const TCase& c : vCases) {
    EXPECT_EQ(soap::FXmlEscape(c.vInput, TXmlEscape::Text), c.vText) << c.vInput;
    EXPECT_EQ(soap::FXmlEscape(c.vInput, TXmlEscape::Attribute), c.vAttribute) << c.vInput;
    EXPECT_EQ(soap::FXmlEscape(c.vInput, TXmlEscape::Minimal), c.vMinimal) << c.vInput;
  }
}

TEST(XmlTextWriter, WritesOneElementPerLineWithEscapedValues) {
  soap::TXmlNode vRoot("r");
  vRoot.FAttr("b", "1\r2\"").FAttr("a", "x");
  vRoot.FAdd("t").FText("<\r\n>");
  vRoot.FAdd("e");
  EXPECT_EQ(soap::FXmlDocumentText(vRoot),
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<r b=\"1&#13;2&quot;\" a=\"x\">\n  <t>&lt;&#13;\n&gt;</t>\n"
            "  <e/>\n</r>");
}

}  // namespace
