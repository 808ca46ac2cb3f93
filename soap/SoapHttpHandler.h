// The SOAP endpoint without the web types: what the host's SOAP dispatcher
// component hands over from the request (path, content type, content, SOAP
// action) and what it must put into the response. Selection of the
// interface, the call, answer, fault and multipart envelopes all happen
// behind this one function; it never throws.
#pragma once

#include <string>
#include <string_view>

#include "soap/InvokeRegistry.h"

namespace soap {

struct TSoapHttpAnswer {
  int vStatusCode = 200;
  std::string vContentType = "text/xml";
  std::string vContentVersion;  // "MIME-Version: 1.0" for multipart answers
  std::string vBody;
};

// pContext is what the call may know of the request (its base URL); it is
// this request's own and is not kept.
[[nodiscard]] TSoapHttpAnswer FHandleSoapRequest(std::string_view pPathInfo, std::string_view pContentType,
                                                 std::string_view pContent, std::string_view pSoapAction,
                                                 const TSoapCallContext& pContext = {}) noexcept;

}  // namespace soap
