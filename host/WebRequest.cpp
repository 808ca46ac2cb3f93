#include "host/WebRequest.h"

#include <charconv>

#include "port/Text.h"

namespace host {

TMethodType FMethodTypeOf(std::string_view pMethod) {
  struct TEntry {
    const char* vText;
    TMethodType vType;
  };
  static constexpr TEntry cMethods[] = {{"GET", TMethodType::mtGet},
                                        {"PUT", TMethodType::mtPut},
                                        {"POST", TMethodType::mtPost},
                                        {"HEAD", TMethodType::mtHead}};
  for (const TEntry& vEntry : cMethods) {
    if (port::FSameTextNoCase(pMethod, vEntry.vText)) return vEntry.vType;
  }
  return TMethodType::mtAny;
}

std::int64_t FIntegerField(std::string_view pText) {
  if (!pText.empty() && pText.front() == '+') {
    pText.remove_prefix(1);
    if (!pText.empty() && pText.front() == '-') return -1;
  }
  if (pText.empty()) return -1;
  std::int64_t vValue = 0;
  const char* vEnd = pText.data() + pText.size();
  auto [vPtr, vError] = std::from_chars(pText.data(), vEnd, vValue);
  if (vError != std::errc() || vPtr != vEnd) return -1;
  return vValue;
}

}  // namespace host
