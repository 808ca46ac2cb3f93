#include "data/FbColumnDecoder.h"

#include <algorithm>
#include <cstring>

#include "data/Calendar.h"

namespace data {

namespace {

using TKind = TFieldValue::TKind;

// A value as the client left it in its buffer, which need not be aligned
// for the type.
template <class T>
[[nodiscard]] T FUnaligned(const char* pData) noexcept {
  T vValue;
  std::memcpy(&vValue, pData, sizeof vValue);
  return vValue;
}

constexpr ISC_TIME cTimeUnitsPerMillisecond = ISC_TIME_SECONDS_PRECISION / 1000;
constexpr ISC_TIME cSecondsPerMinute = 60, cMinutesPerHour = 60;

void PSetDate(ISC_DATE pDate, TFieldValue& pValue) {
  const TCivilDate vDate = FCivilDate(static_cast<std::int64_t>(pDate) - cFirebirdDayZero);
  pValue.vYear = vDate.vYear;
  pValue.vMonth = vDate.vMonth;
  pValue.vDay = vDate.vDay;
}

void PSetTime(ISC_TIME pTime, TFieldValue& pValue) {
  const ISC_TIME vSeconds = pTime / ISC_TIME_SECONDS_PRECISION;
  pValue.vHour = static_cast<int>(vSeconds / (cSecondsPerMinute * cMinutesPerHour));
  pValue.vMinute = static_cast<int>(vSeconds / cSecondsPerMinute % cMinutesPerHour);
  pValue.vSecond = static_cast<int>(vSeconds % cSecondsPerMinute);
  pValue.vMillisecond = static_cast<int>(pTime % ISC_TIME_SECONDS_PRECISION / cTimeUnitsPerMillisecond);
}

TFieldValue FScaled(std::int64_t pValue, int pScale) {
  TFieldValue v;
  v.vKind = TKind::Integer;
  v.vInteger = pValue;
  v.vScale = pScale;
  return v;
}

}  // namespace

std::size_t FColumnBufferSize(const XSQLVAR& pVar) noexcept {
  std::size_t vSize = pVar.sqllen > 0 ? static_cast<std::size_t>(pVar.sqllen) : 0;
  // A VARCHAR arrives as its 16-bit length followed by the bytes.
  if ((pVar.sqltype & ~1) == SQL_VARYING) vSize += sizeof(ISC_SHORT);
  // Never an empty buffer: the client expects a valid address.
  return std::max<std::size_t>(vSize, 1);
}

std::optional<TFieldValue> FDecodeColumn(const XSQLVAR& pVar, const TBlobReader& pReadBlob) {
  TFieldValue v;
  if ((pVar.sqltype & 1) != 0 && pVar.sqlind != nullptr && *pVar.sqlind < 0) return v;  // NULL
  const char* d = pVar.sqldata;
  switch (pVar.sqltype & ~1) {
    case SQL_TEXT:
      v.vKind = TKind::Text;
      v.vText.assign(d, static_cast<std::size_t>(std::max<ISC_SHORT>(pVar.sqllen, 0)));
      return v;
    case SQL_VARYING: {
      const ISC_SHORT vLength = std::clamp<ISC_SHORT>(FUnaligned<ISC_SHORT>(d), 0, pVar.sqllen);
      v.vKind = TKind::Text;
      v.vText.assign(d + sizeof(ISC_SHORT), static_cast<std::size_t>(vLength));
      return v;
    }
    case SQL_SHORT:
      return FScaled(FUnaligned<ISC_SHORT>(d), pVar.sqlscale);
    case SQL_LONG:
      return FScaled(FUnaligned<ISC_LONG>(d), pVar.sqlscale);
    case SQL_INT64:
      return FScaled(FUnaligned<ISC_INT64>(d), pVar.sqlscale);
    case SQL_BOOLEAN:
      return FScaled(FUnaligned<FB_BOOLEAN>(d) != FB_FALSE ? 1 : 0, 0);
    case SQL_FLOAT:
      v.vKind = TKind::Double;
      v.vDouble = FUnaligned<float>(d);
      return v;
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
      v.vKind = TKind::Double;
      v.vDouble = FUnaligned<double>(d);
      return v;
    case SQL_TIMESTAMP: {
      const auto vStamp = FUnaligned<ISC_TIMESTAMP>(d);
      v.vKind = TKind::Timestamp;
      PSetDate(vStamp.timestamp_date, v);
      PSetTime(vStamp.timestamp_time, v);
      return v;
    }
    case SQL_TYPE_DATE:
      v.vKind = TKind::Date;
      PSetDate(FUnaligned<ISC_DATE>(d), v);
      return v;
    case SQL_TYPE_TIME:
      // A bare time stands on day zero of the host's date-time scale.
      v.vKind = TKind::Time;
      PSetDate(static_cast<ISC_DATE>(cFirebirdDayZero), v);
      PSetTime(FUnaligned<ISC_TIME>(d), v);
      return v;
    case SQL_BLOB:
      v.vKind = TKind::Text;
      v.vText = pReadBlob(FUnaligned<ISC_QUAD>(d));
      return v;
    case SQL_NULL:  // the type of a bare "?" or NULL in a select list
      return v;
    default:
      return std::nullopt;
  }
}

}  // namespace data
