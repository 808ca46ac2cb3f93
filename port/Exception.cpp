// Class names of exceptions for the trace log and the error pages.
#include "port/Exception.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <typeinfo>

namespace port {

std::string FExceptionClassName(const std::exception& pException) {
  if (const auto* vOurs = dynamic_cast<const Exception*>(&pException)) {
    return vOurs->FClassName();
  }
  // typeid of a reference to a polymorphic type names the dynamic type.
  const char* vMangled = typeid(pException).name();
  int vStatus = 0;
  std::unique_ptr<char, decltype(&std::free)> vDemangled(
      abi::__cxa_demangle(vMangled, nullptr, nullptr, &vStatus), &std::free);
  if (vStatus == 0 && vDemangled) {
    return vDemangled.get();
  }
  return vMangled;
}

}  // namespace port
