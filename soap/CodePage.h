// Conversions between the host's 8-bit code page (Windows-1252, with the five
// unassigned bytes mapped to U+0081, U+008D, U+008F, U+0090 and U+009D so
// that every byte round-trips) and UTF-8, the encoding on the wire.
#pragma once

#include <string>
#include <string_view>

namespace soap {

// Every byte has a character, so this never loses anything.
[[nodiscard]] std::string FAnsiToUtf8(std::string_view pAnsi);

// Characters the code page cannot hold, and bytes that are not valid UTF-8,
// become "?".
[[nodiscard]] std::string FUtf8ToAnsi(std::string_view pUtf8);

// Decodes one UTF-8 sequence at pText[pPos]; advances pPos past it and
// returns the code point, or returns -1 and advances one byte when the
// sequence is invalid (overlong, surrogate, beyond U+10FFFF, truncated).
[[nodiscard]] long FNextUtf8(std::string_view pText, std::size_t& pPos);

// Appends the UTF-8 form of one code point.
void PAppendUtf8(std::string& pOut, unsigned long pCodePoint);

}  // namespace soap
