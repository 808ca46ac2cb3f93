#include "port/Text.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>

namespace port {

bool FSameTextNoCase(std::string_view pLeft, std::string_view pRight) noexcept {
  if (pLeft.size() != pRight.size()) return false;
  // Not std::tolower: its answer depends on the global locale, and a name
  // must match the same way whatever locale the process was started in.
  const auto vLower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  for (std::size_t i = 0; i < pLeft.size(); ++i) {
    if (vLower(pLeft[i]) != vLower(pRight[i])) return false;
  }
  return true;
}

std::string_view FTrim(std::string_view pText) noexcept {
  const auto vBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (!pText.empty() && vBlank(pText.front())) pText.remove_prefix(1);
  while (!pText.empty() && vBlank(pText.back())) pText.remove_suffix(1);
  return pText;
}

std::string FFormat(std::string_view pPattern, std::initializer_list<std::string_view> pArgs) {
  std::string vOut;
  vOut.reserve(pPattern.size() + 64);
  const std::string_view* vNext = pArgs.begin();
  for (std::size_t i = 0; i < pPattern.size(); ++i) {
    if (pPattern[i] == '%' && i + 1 < pPattern.size() && pPattern[i + 1] == 's') {
      if (vNext != pArgs.end()) vOut += *vNext++;
      ++i;
    } else {
      vOut += pPattern[i];
    }
  }
  return vOut;
}

std::string FDemangle(const char* pName) {
  int vStatus = 0;
  std::unique_ptr<char, decltype(&std::free)> vDemangled(abi::__cxa_demangle(pName, nullptr, nullptr, &vStatus),
                                                         &std::free);
  return vStatus == 0 && vDemangled ? std::string(vDemangled.get()) : std::string(pName);
}

}  // namespace port
