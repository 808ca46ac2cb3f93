// Root of the system's exceptions. Every layer derives its own few classes
// from port::Exception; FClassName() is the name that trace log entries and
// error pages show ("EDatabaseError", "ESOAPDomConvertError", ...).
#pragma once

#include <stdexcept>
#include <string>

namespace port {

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& pMessage) : std::runtime_error(pMessage) {}
  [[nodiscard]] virtual const char* FClassName() const noexcept { return "Exception"; }
};

// Class name of any exception: FClassName() for ours, the demangled C++ type
// name for the others.
[[nodiscard]] std::string FExceptionClassName(const std::exception& pException);

}  // namespace port
