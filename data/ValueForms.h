// The value forms of the returned documents, shared by the data operations.
//
//   FFormatAmount : "#0.000" with a decimal comma: at least one digit before
//                   the comma, exactly three after it, no grouping, "-" for
//                   negatives. Rounding works on the number's shortest
//                   decimal form of up to 15 significant digits and takes
//                   halves away from zero (1.2345 -> "1,235").
//   FFormatDate   : "dd/mm/yyyy".
//   FFormatInteger: plain decimal.
#pragma once

#include <cstdint>
#include <string>

#include "port/Env.h"

namespace data {

[[nodiscard]] std::string FFormatAmount(double pValue);
[[nodiscard]] std::string FFormatDate(const port::TDateTime& pValue);
[[nodiscard]] std::string FFormatInteger(std::int64_t pValue);

// The digits of pValue rounded to 15 significant digits, trailing zeros
// dropped: "-" when negative, the digit string (no leading zeros except a
// single "0" for zero) and the decimal exponent of its first digit.
struct TDecimalDigits {
  bool vNegative = false;
  std::string vDigits;  // "0" for zero
  int vExponent = 0;    // value = d1.d2d3... * 10^vExponent
};
[[nodiscard]] TDecimalDigits FShortestDigits(double pValue);

}  // namespace data
