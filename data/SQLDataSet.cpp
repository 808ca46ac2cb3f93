#include "data/SQLDataSet.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "data/Calendar.h"
#include "data/ValueForms.h"
#include "port/Text.h"

namespace data {

namespace {

std::string FUpper(std::string_view pText) {
  std::string vResult(pText);
  for (char& c : vResult)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return vResult;
}

bool FIsNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '$';
}

std::string FTwoDigits(int pValue) {
  char vBuffer[16];
  std::snprintf(vBuffer, sizeof vBuffer, "%02d", pValue);
  return vBuffer;
}

std::string FTimeText(const TFieldValue& v) {
  return FTwoDigits(v.vHour) + ":" + FTwoDigits(v.vMinute) + ":" + FTwoDigits(v.vSecond);
}

port::TDateTime FBrokenDown(const TFieldValue& v) {
  port::TDateTime t;
  t.vYear = v.vYear;
  t.vMonth = v.vMonth;
  t.vDay = v.vDay;
  t.vHour = v.vHour;
  t.vMinute = v.vMinute;
  t.vSecond = v.vSecond;
  t.vMillisecond = v.vMillisecond;
  return t;
}

// Exact decimal text of a scaled integer: 1250 with scale -2 is "12.5".
std::string FScaledText(std::int64_t pValue, int pScale, char pSeparator) {
  const bool vNegative = pValue < 0;
  // Magnitude as unsigned so that the smallest int64 survives.
  std::uint64_t vMagnitude = vNegative ? 0 - static_cast<std::uint64_t>(pValue) : static_cast<std::uint64_t>(pValue);
  std::string vDigits = std::to_string(vMagnitude);
  std::string vResult;
  if (pScale >= 0) {
    vResult = vDigits;
    if (vMagnitude != 0) vResult.append(static_cast<std::size_t>(pScale), '0');
  } else {
    const std::size_t vFraction = static_cast<std::size_t>(-pScale);
    if (vDigits.size() <= vFraction) vDigits.insert(0, vFraction - vDigits.size() + 1, '0');
    std::string vInt = vDigits.substr(0, vDigits.size() - vFraction);
    std::string vFrac = vDigits.substr(vDigits.size() - vFraction);
    while (!vFrac.empty() && vFrac.back() == '0') vFrac.pop_back();
    vResult = vFrac.empty() ? vInt : vInt + pSeparator + vFrac;
  }
  return (vNegative && vMagnitude != 0 ? "-" : "") + vResult;
}

// The general number form: up to 15 significant digits, plain unless the
// number is very large or very small, where it switches to "1.5E20".
std::string FDoubleText(double pValue, char pSeparator) {
  if (std::isnan(pValue)) return "NAN";
  if (std::isinf(pValue)) return pValue < 0 ? "-INF" : "INF";
  const TDecimalDigits d = FShortestDigits(pValue);
  if (d.vDigits == "0") return "0";
  std::string vResult = d.vNegative ? "-" : "";
  const int n = static_cast<int>(d.vDigits.size());
  if (d.vExponent >= 15 || d.vExponent < -5) {
    vResult += d.vDigits[0];
    if (n > 1) vResult += pSeparator + d.vDigits.substr(1);
    vResult += "E" + std::to_string(d.vExponent);
  } else if (d.vExponent < 0) {
    vResult += "0";
    vResult += pSeparator;
    vResult.append(static_cast<std::size_t>(-d.vExponent - 1), '0');
    vResult += d.vDigits;
  } else {
    const int vIntDigits = d.vExponent + 1;
    if (n <= vIntDigits) {
      vResult += d.vDigits;
      vResult.append(static_cast<std::size_t>(vIntDigits - n), '0');
    } else {
      vResult += d.vDigits.substr(0, vIntDigits) + pSeparator + d.vDigits.substr(vIntDigits);
    }
  }
  return vResult;
}

double FPow10(int pExponent) { return std::pow(10.0, pExponent); }

const TFieldValue cNullValue{};

}  // namespace

// ---- TSQLText ---------------------------------------------------------------

void TSQLText::Add(const std::string& pLine) {
  vLines.push_back(pLine);
  if (vOnChange) vOnChange();
}

void TSQLText::PSetText(const std::string& pText) {
  vLines.clear();
  std::size_t vStart = 0;
  while (vStart <= pText.size()) {
    const std::size_t vEnd = pText.find('\n', vStart);
    std::string vLine = pText.substr(vStart, vEnd == std::string::npos ? std::string::npos : vEnd - vStart);
    if (!vLine.empty() && vLine.back() == '\r') vLine.pop_back();
    if (vEnd == std::string::npos) {
      if (!vLine.empty()) vLines.push_back(vLine);
      break;
    }
    vLines.push_back(vLine);
    vStart = vEnd + 1;
  }
  if (vOnChange) vOnChange();
}

void TSQLText::Clear() {
  vLines.clear();
  if (vOnChange) vOnChange();
}

std::string TSQLText::FText() const {
  std::string vText;
  for (const std::string& vLine : vLines) {
    vText += vLine;
    vText += '\n';
  }
  return vText;
}

// ---- parameters -------------------------------------------------------------

TTranslatedSQL FTranslateParams(std::string_view pSQL) {
  TTranslatedSQL vResult;
  std::string& out = vResult.vText;
  out.reserve(pSQL.size());
  const std::size_t n = pSQL.size();
  std::size_t i = 0;
  while (i < n) {
    const char c = pSQL[i];
    if (c == '\'' || c == '"') {
      // A literal or quoted name runs to its closing quote; a doubled quote
      // stands for itself. A colon inside it is text, not a parameter.
      std::size_t j = i + 1;
      while (j < n) {
        if (pSQL[j] == c) {
          if (j + 1 < n && pSQL[j + 1] == c) {
            j += 2;
            continue;
          }
          ++j;
          break;
        }
        ++j;
      }
      out.append(pSQL.substr(i, j - i));
      i = j;
    } else if (c == '-' && i + 1 < n && pSQL[i + 1] == '-') {
      const std::size_t j = std::min(pSQL.find('\n', i), n);
      out.append(pSQL.substr(i, j - i));
      i = j;
    } else if (c == '/' && i + 1 < n && pSQL[i + 1] == '*') {
      const std::size_t vClose = pSQL.find("*/", i + 2);
      const std::size_t j = vClose == std::string_view::npos ? n : vClose + 2;
      out.append(pSQL.substr(i, j - i));
      i = j;
    } else if (c == ':' && i + 1 < n && FIsNameChar(pSQL[i + 1])) {
      std::size_t j = i + 1;
      while (j < n && FIsNameChar(pSQL[j])) ++j;
      const std::string vName(pSQL.substr(i + 1, j - i - 1));
      const std::string vUpper = FUpper(vName);
      vResult.vMarkers.push_back(vUpper);
      if (std::none_of(vResult.vDistinctNames.begin(), vResult.vDistinctNames.end(),
                       [&](const std::string& s) { return port::FSameTextNoCase(s, vName); }))
        vResult.vDistinctNames.push_back(vName);
      out += '?';
      i = j;
    } else {
      // Plain text runs to the next character that may start one of the
      // above: copied whole.
      std::size_t j = pSQL.find_first_of("'\"-/:", i + 1);
      if (j == std::string_view::npos) j = n;
      out.append(pSQL.substr(i, j - i));
      i = j;
    }
  }
  return vResult;
}

// ---- text form --------------------------------------------------------------

std::string FFieldValueText(const TFieldValue& v, char pSeparator) {
  using K = TFieldValue::TKind;
  switch (v.vKind) {
    case K::Null:
      return {};
    case K::Text:
      return v.vText;
    case K::Integer:
      return FScaledText(v.vInteger, v.vScale, pSeparator);
    case K::Double:
      return FDoubleText(v.vDouble, pSeparator);
    case K::Date:
      return FFormatDate(FBrokenDown(v));
    case K::Timestamp:
      // A time of day of midnight is a plain date.
      if (v.vHour == 0 && v.vMinute == 0 && v.vSecond == 0 && v.vMillisecond == 0) return FFormatDate(FBrokenDown(v));
      return FFormatDate(FBrokenDown(v)) + " " + FTimeText(v);
    case K::Time:
      return FTimeText(v);
  }
  return {};
}

// ---- TField -----------------------------------------------------------------

std::string TField::AsString() const { return FFieldValueText(vValue, vSeparator); }

double TField::AsFloat() const {
  using K = TFieldValue::TKind;
  switch (vValue.vKind) {
    case K::Null:
      return 0;
    case K::Integer:
      return vValue.vScale < 0 ? static_cast<double>(vValue.vInteger) / FPow10(-vValue.vScale)
                               : static_cast<double>(vValue.vInteger) * FPow10(vValue.vScale);
    case K::Double:
      return vValue.vDouble;
    case K::Text: {
      std::string vText(port::FTrim(vValue.vText));
      std::replace(vText.begin(), vText.end(), vSeparator, '.');
      double vResult = 0;
      const char* vEnd = vText.data() + vText.size();
      auto [vPtr, vError] = std::from_chars(vText.data(), vEnd, vResult);
      if (vText.empty() || vError != std::errc() || vPtr != vEnd)
        throw EDatabaseError("'" + vValue.vText + "' is not a valid floating point value");
      return vResult;
    }
    case K::Date:
    case K::Timestamp:
    case K::Time: {
      const double vDays = static_cast<double>(FDayNumber(vValue.vYear, vValue.vMonth, vValue.vDay));
      const double vTime =
          (vValue.vHour * 3600000.0 + vValue.vMinute * 60000.0 + vValue.vSecond * 1000.0 + vValue.vMillisecond) /
          86400000.0;
      return vDays + vTime;
    }
  }
  return 0;
}

int TField::AsInteger() const {
  using K = TFieldValue::TKind;
  double vNumber = 0;
  switch (vValue.vKind) {
    case K::Null:
      return 0;
    case K::Text: {
      const std::string vText(port::FTrim(vValue.vText));
      int vResult = 0;
      const char* vEnd = vText.data() + vText.size();
      auto [vPtr, vError] = std::from_chars(vText.data(), vEnd, vResult);
      if (vText.empty() || vError != std::errc() || vPtr != vEnd)
        throw EDatabaseError("'" + vValue.vText + "' is not a valid integer value");
      return vResult;
    }
    case K::Integer:
      if (vValue.vScale == 0) {
        if (vValue.vInteger < std::numeric_limits<int>::min() || vValue.vInteger > std::numeric_limits<int>::max())
          throw EDatabaseError("Value " + std::to_string(vValue.vInteger) + " out of range for an integer");
        return static_cast<int>(vValue.vInteger);
      }
      vNumber = AsFloat();
      break;
    case K::Double:
      vNumber = vValue.vDouble;
      break;
    default:
      throw EDatabaseError("Field '" + vColumn.vName + "' cannot be read as an integer");
  }
  const double vRounded = std::nearbyint(vNumber);
  if (!(vRounded >= std::numeric_limits<int>::min() && vRounded <= std::numeric_limits<int>::max()))
    throw EDatabaseError("Value " + FDoubleText(vNumber, '.') + " out of range for an integer");
  return static_cast<int>(vRounded);
}

port::TDateTime TField::AsDateTime() const {
  using K = TFieldValue::TKind;
  switch (vValue.vKind) {
    case K::Null: {
      port::TDateTime vDayZero;
      vDayZero.vYear = 1899;
      vDayZero.vMonth = 12;
      vDayZero.vDay = 30;
      return vDayZero;
    }
    case K::Date:
    case K::Timestamp:
    case K::Time:
      return FBrokenDown(vValue);
    case K::Text: {
      // A stored text in the date form the system writes.
      port::TDateTime t;
      const std::string vText(port::FTrim(vValue.vText));
      int vRead = 0;
      const int vFields = std::sscanf(vText.c_str(), "%2d/%2d/%4d%n %2d:%2d:%2d%n", &t.vDay, &t.vMonth, &t.vYear,
                                      &vRead, &t.vHour, &t.vMinute, &t.vSecond, &vRead);
      if ((vFields == 3 || vFields == 6) && static_cast<std::size_t>(vRead) == vText.size() && t.vMonth >= 1 &&
          t.vMonth <= 12 && t.vDay >= 1 && t.vDay <= 31)
        return t;
      throw EDatabaseError("'" + vValue.vText + "' is not a valid date");
    }
    default:
      throw EDatabaseError("Field '" + vColumn.vName + "' cannot be read as a date");
  }
}

// ---- TCustomSQLDataSet ------------------------------------------------------

TCustomSQLDataSet::TCustomSQLDataSet() {
  SQL.vOnChange = [this] { PTextChanged(); };
}

TCustomSQLDataSet::~TCustomSQLDataSet() {
  SQL.vOnChange = nullptr;
  if (vStatement) vStatement->PClose();
  vStatement.reset();
}

void TCustomSQLDataSet::PSetConnection(TSQLConnection* pConnection) {
  if (pConnection == vConnection) return;
  Close();
  vStatement.reset();
  vConnection = pConnection;
}

void TCustomSQLDataSet::PTextChanged() noexcept {
  Close();
  vTranslated.reset();
}

void TCustomSQLDataSet::PTranslate() {
  if (!vTranslated) vTranslated = FTranslateParams(SQL.FText());
}

void TCustomSQLDataSet::PSetParam(const std::string& pName, const std::string& pValue) {
  PTranslate();
  const std::string vUpper = FUpper(pName);
  const auto& vNames = vTranslated->vDistinctNames;
  if (std::none_of(vNames.begin(), vNames.end(), [&](const std::string& s) { return port::FSameTextNoCase(s, pName); }))
    throw EDatabaseError("Parameter '" + pName + "' not found");
  vParamValues[vUpper] = pValue;
}

TSQLStatement::TParamValues TCustomSQLDataSet::FParamValues() const {
  TSQLStatement::TParamValues vValues;
  for (const std::string& vMarker : vTranslated->vMarkers) {
    auto vFound = vParamValues.find(vMarker);
    vValues.push_back(vFound == vParamValues.end() ? nullptr : &vFound->second);
  }
  return vValues;
}

TSQLStatement& TCustomSQLDataSet::FStatement() {
  if (!vConnection) throw EDatabaseError("Missing connection");
  if (!vStatement) {
    vStatement = std::make_unique<TSQLStatement>(*vConnection);
    vStatement->PSetOnRelease([this] { PStatementReleased(); });
  }
  return *vStatement;
}

std::string TCustomSQLDataSet::FStatementText() const { return vTranslated ? vTranslated->vText : std::string(); }

void TCustomSQLDataSet::Open() {
  if (vActive) return;
  PTranslate();
  if (SQL.FIsEmpty()) throw EDatabaseError("No SQL statement");
  TSQLStatement& vRunner = FStatement();
  vRunner.POpen(vTranslated->vText, FParamValues());
  vActive = true;
  vRowCount = 0;
  vRow.clear();
  try {
    PAfterExecute();
    vEof = !FMoveNext();
  } catch (...) {
    Close();
    throw;
  }
}

void TCustomSQLDataSet::ExecSQL() {
  Close();
  PTranslate();
  if (SQL.FIsEmpty()) throw EDatabaseError("No SQL statement");
  FStatement().PExec(vTranslated->vText, FParamValues());
}

void TCustomSQLDataSet::Prepare() {
  Close();
  PTranslate();
  if (SQL.FIsEmpty()) throw EDatabaseError("No SQL statement");
  FStatement().PPrepareOnly(vTranslated->vText);
}

void TCustomSQLDataSet::Close() noexcept {
  if (vStatement) vStatement->PClose();
  PMarkClosed();
}

void TCustomSQLDataSet::PMarkClosed() noexcept {
  vActive = false;
  vEof = true;
  vRowCount = 0;
  vRow.clear();
  PAfterClose();
}

void TCustomSQLDataSet::Next() {
  if (!vActive || vEof) return;
  vEof = !FMoveNext();
}

std::optional<std::size_t> TCustomSQLDataSet::FColumnIndex(const std::string& pName) const noexcept {
  if (!vActive || !vStatement) return std::nullopt;
  const auto& vColumns = vStatement->FColumns();
  for (std::size_t i = 0; i < vColumns.size(); ++i)
    if (port::FSameTextNoCase(vColumns[i].vName, pName)) return i;
  return std::nullopt;
}

bool TCustomSQLDataSet::FHasField(const std::string& pName) const noexcept { return FColumnIndex(pName).has_value(); }

std::vector<std::string> TCustomSQLDataSet::FFieldNames() const {
  std::vector<std::string> vNames;
  if (vActive && vStatement)
    for (const TColumnInfo& c : vStatement->FColumns()) vNames.push_back(c.vName);
  return vNames;
}

TField TCustomSQLDataSet::FieldByName(const std::string& pName) const {
  if (!vActive) throw EDatabaseError("Cannot read field '" + pName + "': the query is not open");
  const auto vIndex = FColumnIndex(pName);
  if (!vIndex) throw EDatabaseError("Field '" + pName + "' not found");
  const TColumnInfo& vColumn = vStatement->FColumns()[*vIndex];
  // An empty result reads as NULL; past the last row the last row stays.
  const char vSeparator = vConnection != nullptr ? vConnection->FDecimalSeparator() : '.';
  if (*vIndex >= vRow.size()) return TField(vColumn, cNullValue, vSeparator);
  return TField(vColumn, vRow[*vIndex], vSeparator);
}

}  // namespace data
