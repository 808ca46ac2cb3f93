// The invoker: chooses the interface a request is for and runs the one call
// of the request, writing the answer or the fault envelope.
#pragma once

#include <string>
#include <string_view>

#include "soap/InvokeRegistry.h"

namespace soap {

// By SOAP action, or by the last path segment when the action is empty or
// two double quotes. Throws EInvokerError with the dispatcher's messages.
[[nodiscard]] const TIntfEntry& FSelectInterface(std::string_view pSoapAction, std::string_view pPath);

struct TInvokeResult {
  std::string vBody;        // answer or fault envelope, UTF-8
  bool vMultipart = false;  // the fault goes out as a multipart answer
};

// Reads the envelope (the first part of pContent when pMultipart), calls the
// operation on a new instance of the implementing class and writes the
// answer. The instance sees pContext during the call. Never throws for a
// failure of the call: every error becomes a fault envelope.
[[nodiscard]] TInvokeResult FInvoke(const TIntfEntry& pEntry, std::string_view pContentType,
                                    std::string_view pContent, bool pMultipart, const TSoapCallContext& pContext);

}  // namespace soap
