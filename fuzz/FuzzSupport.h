// Shared pieces of the fuzz targets: splitting the fuzzer's bytes into the
// fields a target needs, and stopping the run with a message when an answer
// breaks a rule that holds for every input.
//
// A target must never write outside memory: each one points the trace log at
// an in-memory environment before it runs anything.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace fuzz {

// The first pCount - 1 NUL-separated fields of the input, then the rest as
// the last field (which may hold NULs). Missing fields are empty.
inline std::vector<std::string_view> FSplitFields(const std::uint8_t* pData, std::size_t pSize, std::size_t pCount) {
  std::string_view vRest(reinterpret_cast<const char*>(pData), pSize);
  std::vector<std::string_view> vFields;
  while (vFields.size() + 1 < pCount) {
    const std::size_t vNul = vRest.find('\0');
    if (vNul == std::string_view::npos) {
      vFields.push_back(vRest);
      vRest = {};
    } else {
      vFields.push_back(vRest.substr(0, vNul));
      vRest.remove_prefix(vNul + 1);
    }
  }
  vFields.push_back(vRest);
  return vFields;
}

[[noreturn]] inline void PFail(const char* pRule, std::string_view pOutput) {
  std::fprintf(stderr, "rule broken: %s\n--- output (%zu bytes) ---\n%.*s\n---\n", pRule, pOutput.size(),
               static_cast<int>(pOutput.size() > 4000 ? 4000 : pOutput.size()), pOutput.data());
  std::abort();
}

}  // namespace fuzz
