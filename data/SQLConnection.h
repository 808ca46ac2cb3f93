// The one connection to the store database and the prepared-statement core
// that the query objects (data/SQLQuery.h, data/SimpleDataSet.h) run on.
//
// TSQLConnection carries the connection settings and the parameters
// "Database", "User_Name" and "PassWord"; it attaches when POpen() is called,
// or when the first statement needs it, and detaches on PClose() or when
// destroyed. Every client or database error is raised as EDatabaseError with
// the database's own message. The connection must outlive every query
// attached to it; PClose() releases the statements of those queries first.
//
// Only SQLConnection.cpp calls the Firebird client; FbClientLoader.cpp
// supplies those entry points and loads the client library (libfbclient) at
// run time, on the first call, so a request that never needs the database
// never loads it. When the library cannot be loaded, attaching fails like
// an unreachable database. This header exposes our own types. Not
// thread-safe: one connection per thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "port/Exception.h"

namespace data {

// Any error of the client library or the database: the database's message,
// and the statement that met it (empty for attach/detach).
class EDatabaseError : public port::Exception {
 public:
  explicit EDatabaseError(const std::string& pMessage, std::string pStatement = {})
      : port::Exception(pMessage), vStatement(std::move(pStatement)) {}
  [[nodiscard]] const char* FClassName() const noexcept override { return "EDatabaseError"; }
  [[nodiscard]] const std::string& FStatement() const noexcept { return vStatement; }

 private:
  std::string vStatement;
};

// One column value as the database delivered it; the text and number forms
// are made by TField (data/SQLDataSet.h).
struct TFieldValue {
  enum class TKind { Null, Text, Integer, Double, Timestamp, Date, Time };
  TKind vKind = TKind::Null;
  std::string vText;          // Text: the bytes as stored (CHAR keeps its blanks)
  std::int64_t vInteger = 0;  // Integer: the scaled value; number = vInteger * 10^vScale
  int vScale = 0;             // Integer: 0 or negative
  double vDouble = 0;         // Double
  // Timestamp/Date/Time, broken down.
  int vYear = 0, vMonth = 0, vDay = 0, vHour = 0, vMinute = 0, vSecond = 0, vMillisecond = 0;
};

struct TColumnInfo {
  std::string vName;  // the select-list name or its alias, as the database gives it
};

class TSQLStatement;

class TSQLConnection {
 public:
  TSQLConnection();
  ~TSQLConnection();  // detaches; never throws
  TSQLConnection(const TSQLConnection&) = delete;
  TSQLConnection& operator=(const TSQLConnection&) = delete;

  // Driver settings kept as given; none of them chooses the client library
  // (see above).
  // Setting the driver name clears the library names and the parameters.
  void PSetDriverName(const std::string& pValue);
  void PSetLoginPrompt(bool pValue) { vLoginPrompt = pValue; }
  void PSetLibraryName(const std::string& pValue) { vLibraryName = pValue; }
  void PSetGetDriverFunc(const std::string& pValue) { vGetDriverFunc = pValue; }
  void PSetVendorLib(const std::string& pValue) { vVendorLib = pValue; }
  void PSetName(const std::string& pValue) { vName = pValue; }
  [[nodiscard]] const std::string& FDriverName() const noexcept { return vDriverName; }
  [[nodiscard]] bool FLoginPrompt() const noexcept { return vLoginPrompt; }
  [[nodiscard]] const std::string& FLibraryName() const noexcept { return vLibraryName; }
  [[nodiscard]] const std::string& FGetDriverFunc() const noexcept { return vGetDriverFunc; }
  [[nodiscard]] const std::string& FVendorLib() const noexcept { return vVendorLib; }
  [[nodiscard]] const std::string& FName() const noexcept { return vName; }

  // Connection parameters: "Database", "User_Name", "PassWord" (names
  // without regard to case). An empty value leaves the parameter out.
  void PSetParam(const std::string& pName, const std::string& pValue);
  [[nodiscard]] bool FHasParam(const std::string& pName) const;
  [[nodiscard]] std::string FParam(const std::string& pName) const;  // "" when absent
  [[nodiscard]] const std::vector<std::pair<std::string, std::string>>& FParams() const noexcept {
    return vParams;
  }

  [[nodiscard]] bool FConnected() const noexcept;
  // Attaches (with a connect timeout of 5 s); nothing when already attached.
  // Raises EDatabaseError on failure and stays closed.
  void POpen();
  // Releases every statement of the attached queries, then detaches.
  // Never throws; a later statement attaches again.
  void PClose() noexcept;
  // SQL dialect of the attached database (1 for the store database).
  [[nodiscard]] int FDialect() const noexcept { return vDialect; }

  // Internal to the data sets: the attachment the statements run on.
  struct TAttachment;
  [[nodiscard]] TAttachment& FAttachment();  // POpen() first when closed
  void PRegister(TSQLStatement* pStatement) { vStatements.insert(pStatement); }
  void PUnregister(TSQLStatement* pStatement) noexcept { vStatements.erase(pStatement); }

 private:
  std::string vDriverName, vLibraryName, vGetDriverFunc, vVendorLib, vName;
  bool vLoginPrompt = true;
  std::vector<std::pair<std::string, std::string>> vParams;
  std::unique_ptr<TAttachment> vAttachment;
  int vDialect = 3;
  std::set<TSQLStatement*> vStatements;
};

// One prepared statement with its own auto-commit transaction, used by the
// data sets. The text has "?" markers; every parameter is sent as text (or
// NULL) and the database converts it to the column's type.
//   POpen  : prepare (when the text changed), execute, keep the cursor open.
//   FFetch : next row, or false at the end (then the transaction commits).
//   PExec  : prepare, execute and commit a statement without rows.
//   PClose : close the cursor and commit; the prepared statement stays.
class TSQLStatement {
 public:
  explicit TSQLStatement(TSQLConnection& pConnection);
  ~TSQLStatement();
  TSQLStatement(const TSQLStatement&) = delete;
  TSQLStatement& operator=(const TSQLStatement&) = delete;

  using TParamValues = std::vector<const std::string*>;  // nullptr = NULL

  void POpen(const std::string& pSQL, const TParamValues& pValues);
  [[nodiscard]] bool FFetch(std::vector<TFieldValue>& pRow);
  void PExec(const std::string& pSQL, const TParamValues& pValues);
  void PClose() noexcept;
  // Prepares the text without executing it and rolls the transaction back.
  void PPrepareOnly(const std::string& pSQL);
  [[nodiscard]] const std::vector<TColumnInfo>& FColumns() const noexcept { return vColumns; }

  // Called by the connection before it detaches; then tells the owner
  // through the callback (a forward-only query loses its cursor).
  void PRelease() noexcept;
  void PSetOnRelease(std::function<void()> pCallback) { vOnRelease = std::move(pCallback); }

  struct THandles;

 private:
  void PPrepare(const std::string& pSQL);
  void PExecute(const std::string& pSQL, const TParamValues& pValues);

  TSQLConnection& vConnection;
  std::unique_ptr<THandles> vHandles;
  std::vector<TColumnInfo> vColumns;
  std::function<void()> vOnRelease;
};

}  // namespace data
