// The SOAP layer's exceptions. Every message is an 8-bit string in the host
// code page; the envelope writer converts it for the wire.
//
// - EInvokerError: no interface could be chosen for the request; the
//   dispatcher answers with its fixed fault text and status 500.
// - ESOAPDomConvertError: the envelope could not be read; the invoker answers
//   with a fault envelope (status 200), in multipart form when the request
//   came as multipart.
// - EMustUnderstandError: a header entry demanded to be understood; the
//   invoker answers with the MustUnderstand fault.
#pragma once

#include <string>

#include "port/Exception.h"

namespace soap {

class EInvokerError : public port::Exception {
 public:
  using port::Exception::Exception;
  [[nodiscard]] const char* FClassName() const noexcept override { return "EInvokerError"; }
};

class ESOAPDomConvertError : public port::Exception {
 public:
  using port::Exception::Exception;
  [[nodiscard]] const char* FClassName() const noexcept override { return "ESOAPDomConvertError"; }
};

class EMustUnderstandError : public ESOAPDomConvertError {
 public:
  using ESOAPDomConvertError::ESOAPDomConvertError;
  [[nodiscard]] const char* FClassName() const noexcept override { return "ERemotableException"; }
};

}  // namespace soap
