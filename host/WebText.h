// Text guards for what the host writes around request data: HTML escaping
// for text placed into a page, and header-line cleaning for text placed into
// a CGI header line. Both are byte-wise and leave 8-bit text (host code
// page) untouched apart from the characters they replace.
#pragma once

#include <string>
#include <string_view>

namespace host {

// "&", "<", ">", '"' and "'" as character references; everything else as is.
[[nodiscard]] std::string FHtmlEscape(std::string_view pText);

// CR, LF and NUL become a blank, so a value can never end its header line
// early and start a line of its own.
[[nodiscard]] std::string FHeaderValue(std::string_view pText);

}  // namespace host
