// Small text helpers that every layer shares, one of each: comparing names
// without regard to case, trimming, filling the "%s" placeholders of the
// system's messages, and turning a C++ type or symbol name into its
// readable form. All of them work on bytes: 8-bit text (host code page) and
// UTF-8 pass through untouched apart from what each one states.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace port {

// Equal when of equal length and equal byte for byte, ASCII letters without
// regard to case; bytes above 0x7F compare exactly (names on the wire, in the
// environment and in the configuration are ASCII).
[[nodiscard]] bool FSameTextNoCase(std::string_view pLeft, std::string_view pRight) noexcept;

// pText without leading and trailing bytes whose code is at most that of
// the blank (blanks and control characters, NUL included). A view into
// pText: it must outlive the result.
[[nodiscard]] std::string_view FTrim(std::string_view pText) noexcept;

// pPattern with each "%s" replaced, in order, by the next of pArgs; a "%s"
// beyond the last argument is replaced by nothing. Inserted text is never
// searched again, and no other "%" sequence means anything.
[[nodiscard]] std::string FFormat(std::string_view pPattern, std::initializer_list<std::string_view> pArgs);

// The readable form of a mangled C++ name (a type's name() or a symbol); the
// name itself when it is not a mangled one.
[[nodiscard]] std::string FDemangle(const char* pName);

}  // namespace port
