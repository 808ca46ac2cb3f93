// Class names of exceptions for the trace log and the error pages.
#include "port/Exception.h"

#include <typeinfo>

#include "port/Text.h"

namespace port {

std::string FExceptionClassName(const std::exception& pException) {
  if (const auto* vOurs = dynamic_cast<const Exception*>(&pException)) {
    return vOurs->FClassName();
  }
  // typeid of a reference to a polymorphic type names the dynamic type.
  return FDemangle(typeid(pException).name());
}

}  // namespace port
