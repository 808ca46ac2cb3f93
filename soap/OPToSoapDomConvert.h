// Reading a request envelope: parses the text safely (no network, no DTD,
// no entity expansion beyond the predefined ones, bounded depth and
// attribute counts), checks the envelope, finds the operation of the
// selected interface in the Body and decodes its parameters, objects
// included, into values the operation can be called with.
//
// This is the only place of the layer that parses XML.
#pragma once

#include <string_view>

#include "soap/InvokeRegistry.h"

namespace soap {

struct TSoapRequest {
  const TMethodInfo* vMethod = nullptr;  // an operation of the entry read from
  TSoapArgs vArgs;                       // one per declared parameter, in order
};

// Throws ESOAPDomConvertError (malformed or unsupported envelope, unknown
// operation) or EMustUnderstandError; the messages are 8-bit, host code page.
[[nodiscard]] TSoapRequest FReadSoapRequest(const TIntfEntry& pEntry, std::string_view pEnvelope);

}  // namespace soap
