// What the forward-only query (TSQLQuery) and the cached query
// (TSimpleDataSet) share: the statement text, named parameters ":Name",
// the current row and its fields read by name.
//
// Parameter and column names match without regard to case; a name that
// occurs several times in the text is one parameter. Every value is passed
// as text. A parameter that was never set is sent as NULL.
//
// Field views (TField) borrow the data set's current row: use them at once,
// do not keep them across Next(), Close() or a new text.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/SQLConnection.h"
#include "port/Env.h"

namespace data {

// The statement text, line by line (like a string list).
class TSQLText {
 public:
  void Add(const std::string& pLine);
  void PSetText(const std::string& pText);  // replaces the whole text
  void Clear();
  [[nodiscard]] std::string FText() const;  // lines joined with "\n"
  [[nodiscard]] bool FIsEmpty() const noexcept { return vLines.empty(); }

 private:
  friend class TCustomSQLDataSet;
  std::vector<std::string> vLines;
  std::function<void()> vOnChange;
};

// A statement with ":Name" parameters translated for the client: "?" in
// place of each parameter outside string literals, quoted names and
// comments, and the parameter names in the order of their markers.
struct TTranslatedSQL {
  std::string vText;
  std::vector<std::string> vMarkers;        // name of each "?", upper-cased
  std::vector<std::string> vDistinctNames;  // each name once, as first written
};
[[nodiscard]] TTranslatedSQL FTranslateParams(std::string_view pSQL);

// Default text form of a value, as every column reads AsString, numbers
// with pSeparator as their decimal separator.
[[nodiscard]] std::string FFieldValueText(const TFieldValue& pValue, char pSeparator = '.');

// A view of one column of the current row.
class TField {
 public:
  // pSeparator: the decimal separator of the host's number settings.
  TField(const TColumnInfo& pColumn, const TFieldValue& pValue, char pSeparator = '.')
      : vColumn(pColumn), vValue(pValue), vSeparator(pSeparator) {}

  [[nodiscard]] const std::string& FFieldName() const noexcept { return vColumn.vName; }
  [[nodiscard]] bool IsNull() const noexcept { return vValue.vKind == TFieldValue::TKind::Null; }
  // NULL: "". Numbers: shortest form of up to 15 significant digits, no
  // grouping, the host decimal separator; CHAR as stored; dates
  // "dd/mm/yyyy", with " hh:nn:ss" when the time of day is not midnight.
  [[nodiscard]] std::string AsString() const;
  // NULL: 0. Text is converted ("." or the host separator); a text that is
  // no number raises EDatabaseError.
  [[nodiscard]] double AsFloat() const;
  // NULL: 0. Fractions round to the nearest integer (halves to even).
  [[nodiscard]] int AsInteger() const;
  // NULL: day zero, 30/12/1899 00:00:00.
  [[nodiscard]] port::TDateTime AsDateTime() const;

 private:
  const TColumnInfo& vColumn;
  const TFieldValue& vValue;
  char vSeparator;
};

class TCustomSQLDataSet {
 public:
  virtual ~TCustomSQLDataSet();
  TCustomSQLDataSet(const TCustomSQLDataSet&) = delete;
  TCustomSQLDataSet& operator=(const TCustomSQLDataSet&) = delete;

  // The connection the data set runs on (borrowed; must outlive it).
  void PSetConnection(TSQLConnection* pConnection);
  [[nodiscard]] TSQLConnection* FConnection() const noexcept { return vConnection; }

  // The statement text; changing it closes the data set.
  TSQLText SQL;

  // Sets a named parameter (":Name" without the colon) to a text; every
  // occurrence of the name gets it. Raises EDatabaseError when the text
  // has no parameter of that name.
  void PSetParam(const std::string& pName, const std::string& pValue);

  // Runs a statement that returns rows; opens the connection first when it
  // is closed. Raises EDatabaseError. Nothing when already open.
  void Open();
  // Runs a statement that returns no rows (insert, update, delete), committed
  // on its own. Matching no row is no error.
  void ExecSQL();
  // Prepares the statement without running it (its transaction is rolled
  // back): the database checks every table, column and parameter it names.
  void Prepare();
  // Never throws; the text and parameters stay for a reopen.
  void Close() noexcept;

  [[nodiscard]] bool FActive() const noexcept { return vActive; }
  [[nodiscard]] bool IsEmpty() const noexcept { return !vActive || vRowCount == 0; }
  [[nodiscard]] bool Eof() const noexcept { return !vActive || vEof; }
  void Next();

  // Raises EDatabaseError when the data set is not open or its result has
  // no such column. An empty result reads as NULL in every column; past the
  // last row (Eof) the last row read stays current and is what it reads.
  [[nodiscard]] TField FieldByName(const std::string& pName) const;
  [[nodiscard]] bool FHasField(const std::string& pName) const noexcept;
  [[nodiscard]] std::vector<std::string> FFieldNames() const;

 protected:
  TCustomSQLDataSet();
  // Forward-only: one row at a time. Cached: every row fetched at Open.
  virtual void PAfterExecute() = 0;
  virtual bool FMoveNext() = 0;  // makes the next row current; false at the end
  virtual void PAfterClose() noexcept {}
  // The connection detached and dropped the statement. A cached data set
  // keeps its rows; a forward-only one has lost its cursor.
  virtual void PStatementReleased() noexcept {}
  void PMarkClosed() noexcept;

  TSQLStatement& FStatement();
  [[nodiscard]] std::string FStatementText() const;  // the text as sent, with "?"
  void PSetCurrentRow(std::vector<TFieldValue> pRow) { vRow = std::move(pRow); }

  std::unique_ptr<TSQLStatement> vStatement;
  std::size_t vRowCount = 0;

 private:
  void PTextChanged() noexcept;
  void PTranslate();
  [[nodiscard]] TSQLStatement::TParamValues FParamValues() const;
  [[nodiscard]] std::optional<std::size_t> FColumnIndex(const std::string& pName) const noexcept;

  TSQLConnection* vConnection = nullptr;
  std::optional<TTranslatedSQL> vTranslated;
  std::map<std::string, std::string> vParamValues;  // upper-cased name -> value
  std::vector<TFieldValue> vRow;
  bool vActive = false;
  bool vEof = true;
};

}  // namespace data
