#include "data/ValueForms.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace data {

TDecimalDigits FShortestDigits(double pValue) {
  TDecimalDigits d;
  if (pValue == 0 || !std::isfinite(pValue)) {
    d.vDigits = "0";
    return d;
  }
  d.vNegative = pValue < 0;
  // 15 significant digits: the precision every stored amount is known to,
  // so 1.2345 reads as the decimal 1.2345 and not as its binary neighbour.
  char vBuffer[64];
  std::snprintf(vBuffer, sizeof vBuffer, "%.14e", std::fabs(pValue));
  const char* vE = std::strchr(vBuffer, 'e');
  std::string vDigits;
  for (const char* p = vBuffer; p < vE; ++p)
    if (*p != '.') vDigits += *p;
  while (vDigits.size() > 1 && vDigits.back() == '0') vDigits.pop_back();
  d.vDigits = vDigits;
  d.vExponent = std::atoi(vE + 1);
  return d;
}

std::string FFormatAmount(double pValue) {
  const TDecimalDigits d = FShortestDigits(pValue);
  // Thousandths as a digit string: the first d.vExponent + 4 digits of the
  // decimal form, the next digit deciding the rounding (halves away from
  // zero, since the sign is kept apart).
  std::string vThousandths;
  bool vRoundUp = false;
  if (d.vDigits != "0") {
    const long vKeep = static_cast<long>(d.vExponent) + 4;
    if (vKeep > 0) {
      for (long i = 0; i < vKeep; ++i)
        vThousandths += i < static_cast<long>(d.vDigits.size()) ? d.vDigits[i] : '0';
    }
    if (vKeep >= 0 && vKeep < static_cast<long>(d.vDigits.size())) vRoundUp = d.vDigits[vKeep] >= '5';
  }
  if (vThousandths.empty()) vThousandths = "0";
  if (vRoundUp) {
    int i = static_cast<int>(vThousandths.size()) - 1;
    while (i >= 0 && vThousandths[i] == '9') vThousandths[i--] = '0';
    if (i < 0)
      vThousandths.insert(0, 1, '1');
    else
      ++vThousandths[i];
  }
  std::size_t vFirst = vThousandths.find_first_not_of('0');
  if (vFirst == std::string::npos) return "0,000";  // no negative zero
  vThousandths.erase(0, vFirst);
  if (vThousandths.size() < 4) vThousandths.insert(0, 4 - vThousandths.size(), '0');
  std::string vResult = d.vNegative ? "-" : "";
  vResult += vThousandths.substr(0, vThousandths.size() - 3);
  vResult += ',';
  vResult += vThousandths.substr(vThousandths.size() - 3);
  return vResult;
}

std::string FFormatDate(const port::TDateTime& pValue) {
  char vBuffer[32];
  std::snprintf(vBuffer, sizeof vBuffer, "%02d/%02d/%04d", pValue.vDay, pValue.vMonth, pValue.vYear);
  return vBuffer;
}

std::string FFormatInteger(std::int64_t pValue) {
  char vBuffer[24];
  auto [vEnd, vError] = std::to_chars(vBuffer, vBuffer + sizeof vBuffer, pValue);
  (void)vError;
  return std::string(vBuffer, vEnd);
}

}  // namespace data
