// Helpers declared in Env.h that need no operating system: path pieces and
// the locale's decimal separator.
#include "port/Env.h"

#include <locale>

namespace port {

namespace {

// Index just past the last "/" (0 when there is none).
std::size_t FNameStart(const std::string& pPath) {
  const auto vSlash = pPath.find_last_of('/');
  return vSlash == std::string::npos ? 0 : vSlash + 1;
}

// Index of the extension's "." inside the file-name part, or npos.
std::size_t FExtensionStart(const std::string& pPath) {
  const auto vDot = pPath.find_last_of('.');
  if (vDot == std::string::npos || vDot < FNameStart(pPath)) {
    return std::string::npos;
  }
  return vDot;
}

char FReadDecimalSeparator() noexcept {
  try {
    // std::locale("") builds the locale the environment names; the global
    // locale is never changed, so every other conversion stays "C".
    const std::locale vLocale("");
    return std::use_facet<std::numpunct<char>>(vLocale).decimal_point();
  } catch (...) {
    // An unknown or uninstalled locale name.
    return '.';
  }
}

}  // namespace

char FLocaleDecimalSeparator() { return FReadDecimalSeparator(); }

std::string FFileNameWithoutExtension(const std::string& pPath) {
  const auto vStart = FNameStart(pPath);
  const auto vDot = FExtensionStart(pPath);
  return pPath.substr(vStart, vDot == std::string::npos ? std::string::npos : vDot - vStart);
}

std::string FExtractFilePath(const std::string& pPath) {
  return pPath.substr(0, FNameStart(pPath));
}

std::string FChangeFileExtEmpty(const std::string& pPath) {
  return pPath.substr(0, FExtensionStart(pPath));
}

}  // namespace port
