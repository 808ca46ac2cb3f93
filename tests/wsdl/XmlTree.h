// Test support: an XML text seen as a tree, for comparing documents whose
// layout is free. Each element becomes one line, indented by two blanks per
// level: its qualified name, then every attribute (namespace declarations
// included) in document order as name="value". Non-blank text becomes a
// line of its own in double quotes. Whitespace between elements is
// ignored. A text that is not well-formed gives "not well-formed: ..."
// instead.
#pragma once

#include <string>
#include <string_view>

namespace wsdltest {

[[nodiscard]] std::string FXmlTree(std::string_view pXml);

// True when libxml2 reads pXml without any error or warning, namespace
// errors (an undeclared prefix) included; pWhy gets the first complaint.
[[nodiscard]] bool FNamespaceWellFormed(std::string_view pXml, std::string& pWhy);

}  // namespace wsdltest
