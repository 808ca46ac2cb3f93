// Writes the answer envelopes and the fault texts of the SOAP endpoint as
// exact bytes (UTF-8). Text and attribute values always go through the
// SOAP layer's one escaper (soap/XmlTextWriter.h), so no raw "<" or "&" ever
// reaches the wire, and characters that XML 1.0 cannot carry are written as
// "?".
//
// Messages and 8-bit results are in the host code page and are converted to
// UTF-8 here; wide strings are UTF-8 already.
#pragma once

#include <string>
#include <string_view>

#include "soap/InvokeRegistry.h"

namespace soap {

// The fixed MIME boundary and root part identifier of multipart answers.
inline constexpr const char* cMimeBoundary = "MIME_boundary_velmora_3f9a1c";
inline constexpr const char* cMimeRootId = "velmora-soap-envelope";

// The answer envelope of a successful call of pMethod with result pResult.
[[nodiscard]] std::string FAnswerEnvelope(const TIntfEntry& pEntry, const TMethodInfo& pMethod,
                                          const TSoapValue& pResult);

// The invoker's fault envelope, faultcode "SOAP-ENV:Server".
[[nodiscard]] std::string FFaultEnvelope(std::string_view pMessage);
// The MustUnderstand fault with its ERemotableException detail.
[[nodiscard]] std::string FMustUnderstandFaultEnvelope(std::string_view pMessage);

// The dispatcher's fixed fault text (no DOM, no SOAP-ENC/xsd/xsi).
[[nodiscard]] std::string FDispatcherFaultText(std::string_view pMessage);

// Content type of a multipart answer: boundary and start part.
[[nodiscard]] std::string FMultipartContentType();
// The invoker's fault envelope as the one part of a multipart answer.
[[nodiscard]] std::string FMultipartEnvelope(std::string_view pEnvelope);
// The dispatcher's fault text wrapped for a multipart request.
[[nodiscard]] std::string FMultipartDispatcherFault(std::string_view pFaultText);

}  // namespace soap
