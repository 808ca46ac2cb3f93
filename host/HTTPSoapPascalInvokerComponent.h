// The invoker component of the web module. The call itself (reading the
// envelope, finding the operation, writing the answer) lives in the SOAP
// layer; this component only carries the converter settings that the SOAP
// dispatcher works with.
#pragma once

#include <vector>

#include "host/WebModule.h"

namespace host {

enum class TSOAPConvertOption { soSendMultiRefObj, soTryAllSchema };

struct TSOAPConverter {
  std::vector<TSOAPConvertOption> Options;
};

class THTTPSoapPascalInvoker : public TComponent {
 public:
  using TComponent::TComponent;
  TSOAPConverter Converter;
};

}  // namespace host
