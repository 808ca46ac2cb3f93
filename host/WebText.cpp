#include "host/WebText.h"

namespace host {

std::string FHtmlEscape(std::string_view pText) {
  std::string vResult;
  vResult.reserve(pText.size());
  for (char c : pText) {
    switch (c) {
      case '&': vResult += "&amp;"; break;
      case '<': vResult += "&lt;"; break;
      case '>': vResult += "&gt;"; break;
      case '"': vResult += "&quot;"; break;
      case '\'': vResult += "&#39;"; break;
      default: vResult += c;
    }
  }
  return vResult;
}

std::string FHeaderValue(std::string_view pText) {
  std::string vResult(pText);
  for (char& c : vResult) {
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  }
  return vResult;
}

}  // namespace host
