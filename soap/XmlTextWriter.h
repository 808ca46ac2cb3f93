// A small element tree for the documents the service describes itself with
// (WSDL, schema, WS-Inspection) and its writer: an XML declaration, then
// one element per line, indented by two blanks per nesting level, UTF-8.
//
// Attributes keep the order they were added in, which the WSDL's document
// element depends on. Names are written as given (callers use fixed ASCII
// names); attribute values and text are UTF-8 and always escaped, and
// characters XML 1.0 cannot carry (or bytes that are not UTF-8) become "?".
//
// A node owns its children; references returned by FAdd stay valid while
// the root lives.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace soap {

class TXmlNode {
 public:
  explicit TXmlNode(std::string pName) : vName(std::move(pName)) {}

  // Appends a child element and returns it.
  TXmlNode& FAdd(std::string pName);
  // Appends an attribute (UTF-8 value) and returns this node.
  TXmlNode& FAttr(std::string pName, std::string pValue);
  // Sets the element's text (UTF-8); used for elements without children.
  TXmlNode& FText(std::string pValue);

  [[nodiscard]] const std::string& FName() const noexcept { return vName; }
  [[nodiscard]] bool FHasAttr(std::string_view pName) const;

  // The element and everything below it, starting at pLevel.
  void PWrite(std::string& pOut, int pLevel) const;

 private:
  std::string vName;
  std::vector<std::pair<std::string, std::string>> vAttributes;
  std::string vText;
  std::vector<std::unique_ptr<TXmlNode>> vChildren;
};

// "<?xml version="1.0" encoding="utf-8"?>", a line break, then pRoot.
[[nodiscard]] std::string FXmlDocumentText(const TXmlNode& pRoot);

// The one XML escaper of the SOAP layer, for every text it writes (these
// documents, the answer and fault envelopes). UTF-8 in, UTF-8 out; a
// character XML 1.0 cannot carry, or a byte that is not UTF-8, becomes "?".
//   Text      character data: "&", "<", ">" and CR as references.
//   Attribute a double-quoted attribute value: also '"', tab and LF.
//   Minimal   only "&" and "<", and the ">" that would close a "]]>": the
//             dispatcher's fixed fault text is made exactly so, and keeps
//             its other characters, CR included, as they are.
// Where CR, tab and LF are escaped they are written "&#13;", "&#9;" and
// "&#10;": a reader folds a literal CR LF to LF, and turns tab and LF in an
// attribute into blanks.
enum class TXmlEscape { Text, Attribute, Minimal };
[[nodiscard]] std::string FXmlEscape(std::string_view pUtf8, TXmlEscape pMode);

}  // namespace soap
