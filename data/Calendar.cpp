#include "data/Calendar.h"

namespace data {

namespace {

// The computation counts from 01/03/0000: with March as the first month
// the leap day ends the year, and 400 Gregorian years (an era) are always
// 146097 days. Our day zero is this many days after that start. (Within a
// year, (153 * month + 2) / 5 is the day a month starts on, counting from
// March: the month lengths repeat 31, 30, 31, 30, 31 every five months.)
constexpr std::int64_t cDayZeroFromEraStart = 693899;
constexpr std::int64_t cDaysPerEra = 146097;
constexpr int cYearsPerEra = 400;

}  // namespace

std::int64_t FDayNumber(int pYear, int pMonth, int pDay) noexcept {
  const std::int64_t vYear = pYear - (pMonth <= 2 ? 1 : 0);
  const std::int64_t vEra = (vYear >= 0 ? vYear : vYear - (cYearsPerEra - 1)) / cYearsPerEra;
  const std::int64_t vYearOfEra = vYear - vEra * cYearsPerEra;
  const std::int64_t vDayOfYear = (153 * (pMonth > 2 ? pMonth - 3 : pMonth + 9) + 2) / 5 + pDay - 1;
  const std::int64_t vDayOfEra = vYearOfEra * 365 + vYearOfEra / 4 - vYearOfEra / 100 + vDayOfYear;
  return vEra * cDaysPerEra + vDayOfEra - cDayZeroFromEraStart;
}

TCivilDate FCivilDate(std::int64_t pDayNumber) noexcept {
  const std::int64_t vDays = pDayNumber + cDayZeroFromEraStart;
  const std::int64_t vEra = (vDays >= 0 ? vDays : vDays - (cDaysPerEra - 1)) / cDaysPerEra;
  const std::int64_t vDayOfEra = vDays - vEra * cDaysPerEra;
  const std::int64_t vYearOfEra =
      (vDayOfEra - vDayOfEra / 1460 + vDayOfEra / 36524 - vDayOfEra / (cDaysPerEra - 1)) / 365;
  const std::int64_t vDayOfYear = vDayOfEra - (365 * vYearOfEra + vYearOfEra / 4 - vYearOfEra / 100);
  const std::int64_t vMonthFromMarch = (5 * vDayOfYear + 2) / 153;
  TCivilDate vDate;
  vDate.vDay = static_cast<int>(vDayOfYear - (153 * vMonthFromMarch + 2) / 5 + 1);
  vDate.vMonth = static_cast<int>(vMonthFromMarch < 10 ? vMonthFromMarch + 3 : vMonthFromMarch - 9);
  vDate.vYear = static_cast<int>(vYearOfEra + vEra * cYearsPerEra + (vDate.vMonth <= 2 ? 1 : 0));
  return vDate;
}

}  // namespace data
