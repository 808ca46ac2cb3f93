// The one connection to the store database and the statement runner that
// the query objects (data/SQLQuery.h, data/SimpleDataSet.h) run on.
//
// TSQLConnection carries the connection settings and the parameters
// "Database", "User_Name" and "PassWord"; it attaches when POpen() is called,
// or when the first statement needs it, and detaches on PClose() or when
// destroyed. Statements prepared on the attachment are kept by it, keyed by
// their text, and reused by every later statement with the same text; each
// run has its own transaction, committed as soon as the statement is done.
// Every client or database error is raised as EDatabaseError with the
// database's own message. The connection must outlive every query attached
// to it; PClose() releases the statements of those queries first.
//
// The Firebird client library is reached from the data layer's .cpp files
// only, through a table of its functions (data/FbClientApi.h) filled when
// the first attach loads it, so a request that never needs the database
// never loads it. When the library cannot be loaded, attaching fails with
// an EDatabaseError that says so. This header exposes our own types. Not
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

#include "port/Env.h"
#include "port/Exception.h"

namespace data {

// Any error of the client library or the database: the database's message,
// the statement that met it (empty for attach/detach) and the database's
// error code (the first of its status; 0 for an error of our own).
class EDatabaseError : public port::Exception {
 public:
  explicit EDatabaseError(const std::string& pMessage, std::string pStatement = {}, long pErrorCode = 0,
                          bool pConnectionLost = false)
      : port::Exception(pMessage),
        vStatement(std::move(pStatement)),
        vErrorCode(pErrorCode),
        vConnectionLost(pConnectionLost) {}
  [[nodiscard]] const char* FClassName() const noexcept override { return "EDatabaseError"; }
  [[nodiscard]] const std::string& FStatement() const noexcept { return vStatement; }
  [[nodiscard]] long FErrorCode() const noexcept { return vErrorCode; }
  // An established connection broke (network error, server gone,
  // attachment shut down or cut off by the call watchdog): the next
  // statement attaches again. Never true for a failed attach.
  [[nodiscard]] bool FConnectionLost() const noexcept { return vConnectionLost; }

 private:
  std::string vStatement;
  long vErrorCode;
  bool vConnectionLost;
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

  // Driver settings kept as given; the client library is always
  // libfbclient.so.2, loaded on the first attach.
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

  // Attached, and the connection not known to be lost.
  [[nodiscard]] bool FConnected() const noexcept;
  // Attaches (with a connect timeout of 5 s); nothing when already attached.
  // Raises EDatabaseError on failure and stays closed. A connection lost
  // since the last statement is dropped and attached again.
  void POpen();
  // Releases every statement of the attached queries and every prepared
  // statement, then detaches. Never throws; a later statement attaches
  // again.
  void PClose() noexcept;
  // Between two requests of a process that serves many: ends every open
  // cursor and transaction of the attached queries (an open transaction
  // would hold back the database's garbage collection). The attachment and
  // its prepared statements stay. Never throws.
  // The first statement after it may find that the connection broke while
  // the process was idle (the server restarted): it attaches again and
  // runs once more, so the caller does not see the restart.
  void PEndRequest() noexcept;
  // After an EDatabaseError with FConnectionLost(): lets go of the broken
  // attachment and everything prepared on it, so that the next statement
  // attaches again. Never throws.
  void PDropLostConnection() noexcept;
  // The host whose number settings give the decimal separator of numbers
  // read as text ('.' without one). Asked only when a number is read, so
  // a request that reads none never consults the locale. pHost must
  // outlive the connection.
  void PSetHost(port::IEnv& pHost) noexcept { vHost = &pHost; }
  [[nodiscard]] char FDecimalSeparator() const { return vHost != nullptr ? vHost->FDecimalSeparator() : '.'; }

  // SQL dialect of the attached database (1 for the store database).
  [[nodiscard]] int FDialect() const noexcept { return vDialect; }
  // Prepared statements the attachment keeps for reuse.
  [[nodiscard]] std::size_t FPreparedCount() const noexcept;

  // Internal to the statement runner: the attachment and its prepared
  // statements. FAttachment attaches first when needed.
  struct TAttachment;
  [[nodiscard]] TAttachment& FAttachment();
  void PMarkLost() noexcept { vLost = true; }
  // True once after PEndRequest, for the first statement of the next
  // request (the one allowed to run again on a connection lost meanwhile).
  [[nodiscard]] bool FTakeIdle() noexcept { return std::exchange(vIdle, false); }
  void PRegister(TSQLStatement* pStatement) { vStatements.insert(pStatement); }
  void PUnregister(TSQLStatement* pStatement) noexcept { vStatements.erase(pStatement); }

 private:
  std::string vDriverName, vLibraryName, vGetDriverFunc, vVendorLib, vName;
  bool vLoginPrompt = true;
  std::vector<std::pair<std::string, std::string>> vParams;
  std::unique_ptr<TAttachment> vAttachment;
  bool vLost = false;
  bool vIdle = false;
  port::IEnv* vHost = nullptr;
  int vDialect = 3;
  std::set<TSQLStatement*> vStatements;
};

// Runs one statement at a time for a data set, in its own auto-commit
// transaction. The text has "?" markers; every parameter is sent as text
// (or NULL) and the database converts it to the column's type. The
// prepared statement is borrowed from the connection, which prepares it on
// first use of the text, and given back when the run ends.
//   POpen  : execute in a new transaction, keep the cursor open.
//   FFetch : next row, or false at the end (then the transaction commits).
//   PExec  : execute and commit a statement without rows.
//   PClose : close the cursor and commit; the columns stay readable.
// On an error the transaction is rolled back and the prepared statement
// dropped (a statement the database refused is prepared again next time).
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

  // Called by the connection when it detaches or ends a request: ends the
  // run, then tells the owner through the callback (a forward-only query
  // loses its cursor).
  void PRelease() noexcept;
  void PSetOnRelease(std::function<void()> pCallback) { vOnRelease = std::move(pCallback); }

 private:
  struct TRun;
  void PStart(const std::string& pSQL);
  void PEnd(bool pCommit) noexcept;
  void PAbandon(bool pConnectionLost) noexcept;
  template <class TStep>
  auto FGuarded(TStep&& pStep) -> decltype(pStep());
  // Runs pRun; when it was the first statement after an idle time and the
  // connection turned out lost, runs it once more on a new attachment.
  template <class TStatementRun>
  void PRunOnceMoreAfterIdle(TStatementRun&& pRun);

  TSQLConnection& vConnection;
  std::unique_ptr<TRun> vRun;  // the run in progress, if any
  std::vector<TColumnInfo> vColumns;
  std::function<void()> vOnRelease;
};

}  // namespace data
