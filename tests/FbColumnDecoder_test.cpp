// Column decoding on hand-built XSQLVAR buffers, one case per type the
// client can return (with scales, NULL indicators and the edges of the
// date range), and the day-number conversion it shares with TField.
#include "data/FbColumnDecoder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include "data/Calendar.h"

namespace {

using data::TFieldValue;

// A column as the client leaves it after a fetch: its descriptor, its
// buffer and its NULL indicator.
struct TColumn {
  XSQLVAR vVar{};
  std::vector<char> vData;
  ISC_SHORT vIndicator = 0;

  TColumn(ISC_SHORT pType, const void* pBytes, std::size_t pSize, ISC_SHORT pLength, ISC_SHORT pScale = 0)
      : vData(static_cast<const char*>(pBytes), static_cast<const char*>(pBytes) + pSize) {
    vVar.sqltype = static_cast<ISC_SHORT>(pType | 1);
    vVar.sqllen = pLength;
    vVar.sqlscale = pScale;
    // One byte of slack, so that the buffer is never empty.
    vData.push_back('\x7F');
    vVar.sqldata = vData.data();
    vVar.sqlind = &vIndicator;
  }
  const XSQLVAR& FVar() {
    vVar.sqldata = vData.data();
    vVar.sqlind = &vIndicator;
    return vVar;
  }
};

template <class T>
TColumn FColumn(ISC_SHORT pType, T pValue, ISC_SHORT pScale = 0) {
  return TColumn(pType, &pValue, sizeof pValue, static_cast<ISC_SHORT>(sizeof pValue), pScale);
}

TColumn FText(const std::string& pBytes) {
  return TColumn(SQL_TEXT, pBytes.data(), pBytes.size(), static_cast<ISC_SHORT>(pBytes.size()));
}

TColumn FVarying(ISC_SHORT pLength, const std::string& pBytes, ISC_SHORT pDeclared) {
  std::string vBuffer(sizeof pLength, '\0');
  std::memcpy(vBuffer.data(), &pLength, sizeof pLength);
  vBuffer += pBytes;
  vBuffer.resize(sizeof pLength + static_cast<std::size_t>(pDeclared), '#');
  return TColumn(SQL_VARYING, vBuffer.data(), vBuffer.size(), pDeclared);
}

ISC_TIME FTime(int pHour, int pMinute, int pSecond, int pTenThousandths) {
  return static_cast<ISC_TIME>(((pHour * 60 + pMinute) * 60 + pSecond) * 10000 + pTenThousandths);
}

// Every field of a value that its kind uses, as one line.
std::string FDescribe(const std::optional<TFieldValue>& pValue) {
  if (!pValue) return "unsupported";
  const TFieldValue& v = *pValue;
  char vBuffer[128];
  using K = TFieldValue::TKind;
  switch (v.vKind) {
    case K::Null:
      return "Null";
    case K::Text:
      return "Text [" + v.vText + "]";
    case K::Integer:
      return "Integer " + std::to_string(v.vInteger) + "e" + std::to_string(v.vScale);
    case K::Double:
      std::snprintf(vBuffer, sizeof vBuffer, "Double %.17g", v.vDouble);
      return vBuffer;
    case K::Timestamp:
    case K::Date:
    case K::Time:
      std::snprintf(vBuffer, sizeof vBuffer, "%s %04d-%02d-%02d %02d:%02d:%02d.%03d",
                    v.vKind == K::Timestamp ? "Timestamp" : v.vKind == K::Date ? "Date" : "Time", v.vYear, v.vMonth,
                    v.vDay, v.vHour, v.vMinute, v.vSecond, v.vMillisecond);
      return vBuffer;
  }
  return "?";
}

std::string FDecode(TColumn& pColumn) {
  return FDescribe(data::FDecodeColumn(pColumn.FVar(), [](const ISC_QUAD&) { return std::string("blob"); }));
}

TEST(FbColumnDecoder, EveryTypeFromItsBuffer) {
  const ISC_TIMESTAMP vStamp{60374, FTime(14, 7, 31, 2500)};  // 05/03/2024 14:07:31.250
  const ISC_TIMESTAMP vMidnight{15018, 0};
  struct {
    const char* vName;
    TColumn vColumn;
    const char* vExpected;
  } cCases[] = {
      {"CHAR keeps its blanks", FText("ab    "), "Text [ab    ]"},
      {"CHAR bytes as stored", FText("Caf\xE9"), "Text [Caf\xE9]"},
      {"VARCHAR to its length", FVarying(3, "abc", 20), "Text [abc]"},
      {"VARCHAR empty", FVarying(0, "", 5), "Text []"},
      {"VARCHAR length beyond the buffer", FVarying(99, "abcde", 5), "Text [abcde]"},
      {"SMALLINT", FColumn<ISC_SHORT>(SQL_SHORT, 7), "Integer 7e0"},
      {"SMALLINT smallest", FColumn<ISC_SHORT>(SQL_SHORT, -32768), "Integer -32768e0"},
      {"NUMERIC(4,1) on SMALLINT", FColumn<ISC_SHORT>(SQL_SHORT, -125, -1), "Integer -125e-1"},
      {"INTEGER", FColumn<ISC_LONG>(SQL_LONG, -42), "Integer -42e0"},
      {"NUMERIC(9,3) on INTEGER", FColumn<ISC_LONG>(SQL_LONG, -12345, -3), "Integer -12345e-3"},
      {"BIGINT largest", FColumn<ISC_INT64>(SQL_INT64, std::numeric_limits<ISC_INT64>::max()),
       "Integer 9223372036854775807e0"},
      {"NUMERIC(18,2) on BIGINT", FColumn<ISC_INT64>(SQL_INT64, 123450, -2), "Integer 123450e-2"},
      {"BIGINT smallest", FColumn<ISC_INT64>(SQL_INT64, std::numeric_limits<ISC_INT64>::min(), -4),
       "Integer -9223372036854775808e-4"},
      {"FLOAT widened exactly", FColumn<float>(SQL_FLOAT, 0.1f), "Double 0.10000000149011612"},
      {"FLOAT negative", FColumn<float>(SQL_FLOAT, -2.5f), "Double -2.5"},
      {"DOUBLE PRECISION", FColumn<double>(SQL_DOUBLE, 1.0e20), "Double 1e+20"},
      {"DOUBLE PRECISION in dialect 1 NUMERIC(15,2)", FColumn<double>(SQL_DOUBLE, 1234.5), "Double 1234.5"},
      {"D_FLOAT", FColumn<double>(SQL_D_FLOAT, 0.25), "Double 0.25"},
      {"TIMESTAMP", FColumn<ISC_TIMESTAMP>(SQL_TIMESTAMP, vStamp), "Timestamp 2024-03-05 14:07:31.250"},
      {"TIMESTAMP at midnight of day zero", FColumn<ISC_TIMESTAMP>(SQL_TIMESTAMP, vMidnight),
       "Timestamp 1899-12-30 00:00:00.000"},
      {"TIMESTAMP last tick of a day", FColumn<ISC_TIMESTAMP>(SQL_TIMESTAMP, ISC_TIMESTAMP{51603, FTime(23, 59, 59, 9999)}),
       "Timestamp 2000-02-29 23:59:59.999"},
      {"DATE", FColumn<ISC_DATE>(SQL_TYPE_DATE, 60374), "Date 2024-03-05 00:00:00.000"},
      {"DATE Firebird's day 0", FColumn<ISC_DATE>(SQL_TYPE_DATE, 0), "Date 1858-11-17 00:00:00.000"},
      {"DATE after 1900's missing leap day", FColumn<ISC_DATE>(SQL_TYPE_DATE, 15079), "Date 1900-03-01 00:00:00.000"},
      {"DATE first", FColumn<ISC_DATE>(SQL_TYPE_DATE, -678575), "Date 0001-01-01 00:00:00.000"},
      {"DATE last", FColumn<ISC_DATE>(SQL_TYPE_DATE, 2973483), "Date 9999-12-31 00:00:00.000"},
      {"TIME on day zero", FColumn<ISC_TIME>(SQL_TYPE_TIME, FTime(8, 30, 5, 10)), "Time 1899-12-30 08:30:05.001"},
      {"TIME midnight", FColumn<ISC_TIME>(SQL_TYPE_TIME, 0), "Time 1899-12-30 00:00:00.000"},
      {"BOOLEAN true", FColumn<FB_BOOLEAN>(SQL_BOOLEAN, FB_TRUE), "Integer 1e0"},
      {"BOOLEAN false", FColumn<FB_BOOLEAN>(SQL_BOOLEAN, FB_FALSE), "Integer 0e0"},
      {"NULL type", TColumn(SQL_NULL, "", 0, 0), "Null"},
      {"ARRAY is not ours", FColumn<ISC_QUAD>(SQL_ARRAY, ISC_QUAD{1, 2}), "unsupported"},
  };
  for (auto& c : cCases) EXPECT_EQ(FDecode(c.vColumn), c.vExpected) << c.vName;
}

TEST(FbColumnDecoder, NullIndicatorOnNullableColumnsOnly) {
  struct {
    const char* vName;
    TColumn vColumn;
  } cCases[] = {
      {"CHAR", FText("ab")},
      {"VARCHAR", FVarying(2, "ab", 4)},
      {"INTEGER", FColumn<ISC_LONG>(SQL_LONG, 5)},
      {"DOUBLE", FColumn<double>(SQL_DOUBLE, 1.5)},
      {"TIMESTAMP", FColumn<ISC_TIMESTAMP>(SQL_TIMESTAMP, ISC_TIMESTAMP{60374, 0})},
      {"BOOLEAN", FColumn<FB_BOOLEAN>(SQL_BOOLEAN, FB_TRUE)},
      {"BLOB", FColumn<ISC_QUAD>(SQL_BLOB, ISC_QUAD{1, 2})},
  };
  for (auto& c : cCases) {
    c.vColumn.vIndicator = -1;
    EXPECT_EQ(FDecode(c.vColumn), "Null") << c.vName;
    // A column declared NOT NULL has no indicator to read: its value counts.
    c.vColumn.vVar.sqltype = static_cast<ISC_SHORT>(c.vColumn.vVar.sqltype & ~1);
    EXPECT_NE(FDecode(c.vColumn), "Null") << c.vName;
  }
}

TEST(FbColumnDecoder, BlobIdGoesToTheReader) {
  TColumn vColumn = FColumn<ISC_QUAD>(SQL_BLOB, ISC_QUAD{0x1234, 0x89ABCDEFu});
  int vCalls = 0;
  const auto vValue = data::FDecodeColumn(vColumn.FVar(), [&](const ISC_QUAD& pId) {
    ++vCalls;
    EXPECT_EQ(pId.gds_quad_high, 0x1234);
    EXPECT_EQ(pId.gds_quad_low, 0x89ABCDEFu);
    return std::string("blob \0 bytes", 12);
  });
  EXPECT_EQ(vCalls, 1);
  EXPECT_EQ(FDescribe(vValue), std::string("Text [blob \0 bytes]", 19));
}

TEST(FbColumnDecoder, BufferSizeCoversTheLengthPrefix) {
  struct {
    ISC_SHORT vType;
    ISC_SHORT vLength;
    std::size_t vSize;
  } const cCases[] = {
      {SQL_TEXT, 6, 6}, {SQL_VARYING, 20, 22}, {SQL_VARYING | 1, 0, 2}, {SQL_LONG, 4, 4},
      {SQL_TIMESTAMP, 8, 8}, {SQL_NULL, 0, 1}, {SQL_BOOLEAN, 1, 1},
  };
  for (const auto& c : cCases) {
    XSQLVAR v{};
    v.sqltype = c.vType;
    v.sqllen = c.vLength;
    EXPECT_EQ(data::FColumnBufferSize(v), c.vSize) << c.vType;
  }
}

TEST(Calendar, DayNumbersBothWays) {
  struct {
    int vYear, vMonth, vDay;
    std::int64_t vDayNumber;
  } const cCases[] = {
      {1899, 12, 30, 0},     {1899, 12, 31, 1},     {1900, 3, 1, 61},          {1970, 1, 1, 25569},
      {2000, 2, 29, 36585},  {2024, 3, 5, 45356},   {1858, 11, 17, -data::cFirebirdDayZero},
      {1, 1, 1, -693593},    {9999, 12, 31, 2958465}, {1600, 2, 29, -109512},
  };
  for (const auto& c : cCases) {
    EXPECT_EQ(data::FDayNumber(c.vYear, c.vMonth, c.vDay), c.vDayNumber) << c.vYear << "-" << c.vMonth;
    const data::TCivilDate vDate = data::FCivilDate(c.vDayNumber);
    EXPECT_EQ((std::vector<int>{vDate.vYear, vDate.vMonth, vDate.vDay}),
              (std::vector<int>{c.vYear, c.vMonth, c.vDay}));
  }
  // Every day of four centuries round-trips and follows its predecessor.
  for (std::int64_t n = -80000; n < 80000; ++n) {
    const data::TCivilDate d = data::FCivilDate(n);
    ASSERT_EQ(data::FDayNumber(d.vYear, d.vMonth, d.vDay), n);
  }
}

}  // namespace
