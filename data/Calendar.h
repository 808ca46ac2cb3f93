// Day numbers: the one conversion between a civil date and a count of days.
//
// Day numbers count days from 30/12/1899 (day 0), the day zero of the
// host's date-time scale, on the proleptic Gregorian calendar; dates before
// it have negative numbers. A date value read as a number (TField::AsFloat)
// is its day number; a Firebird date is converted through
// cFirebirdDayZero.
#pragma once

#include <cstdint>

namespace data {

struct TCivilDate {
  int vYear = 0, vMonth = 0, vDay = 0;
};

// Firebird counts dates from 17/11/1858; our day zero is its day 15018.
inline constexpr std::int64_t cFirebirdDayZero = 15018;

[[nodiscard]] std::int64_t FDayNumber(int pYear, int pMonth, int pDay) noexcept;
[[nodiscard]] TCivilDate FCivilDate(std::int64_t pDayNumber) noexcept;

}  // namespace data
