// The only place that speaks to the Firebird client library (ISC API).
//
// One attach per connection; each statement runs in its own read-committed
// transaction that is committed as soon as the statement is done (auto-
// commit), waits at most 5 s for a locked row, and so never hangs a request.
// Statements are prepared in the database's own SQL dialect: the store
// database is dialect 1, where "X" is a string constant.
#include "data/SQLConnection.h"

#include <ibase.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <cctype>
#include <ctime>
#include <mutex>
#include <thread>

namespace data {

namespace {

// A column value as the client left it in its buffer, which need not be
// aligned for the type.
template <class T>
[[nodiscard]] T FUnaligned(const char* pData) noexcept {
  T vValue;
  std::memcpy(&vValue, pData, sizeof vValue);
  return vValue;
}

// Lock waits and connection attempts give up after this many seconds, so
// that a locked order row or an unreachable server answers with an error
// rather than a hung request.
constexpr int cLockTimeoutSeconds = 5;
constexpr int cConnectTimeoutSeconds = 5;
// Once attached, the client library waits for the server's reply without
// any limit: a server host that freezes or vanishes in the middle of a
// statement would hang the request until the web server kills it. A call
// that has waited this long (the lock wait plus a margin) is cut off.
constexpr int cCallLimitSeconds = 8;

// Cuts off a client call that waits too long: aborting the attachment from
// the client side (fb_cancel_abort) closes its connection, the waiting call
// returns with an error, and the operation answers as for any database
// failure. One instance per process with its own thread, created on first
// use and deliberately never freed, so it never runs into static
// destruction at exit. Calls nest (a release inside a prepare); the limit
// runs from the outermost one.
class TCallWatchdog {
 public:
  static TCallWatchdog& FInstance() {
    static TCallWatchdog* vInstance = new TCallWatchdog();
    return *vInstance;
  }

  void PEnter(isc_db_handle pDb) {
    std::lock_guard<std::mutex> vGuard(vLock);
    if (vDepth++ == 0) {
      vDb = pDb;
      vFired = false;
      vDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(cCallLimitSeconds);
      vWake.notify_one();
    }
  }
  void PLeave() noexcept {
    std::lock_guard<std::mutex> vGuard(vLock);
    if (vDepth > 0 && --vDepth == 0) vDb = 0;
  }

 private:
  TCallWatchdog() { std::thread([this] { PRun(); }).detach(); }

  [[noreturn]] void PRun() {
    std::unique_lock<std::mutex> vGuard(vLock);
    while (true) {
      if (vDepth == 0 || vFired) {
        vWake.wait(vGuard);
        continue;
      }
      const auto vWatched = vDeadline;
      vWake.wait_until(vGuard, vWatched);
      if (vDepth > 0 && !vFired && vDeadline == vWatched && std::chrono::steady_clock::now() >= vWatched) {
        isc_db_handle vHandle = vDb;
        ISC_STATUS_ARRAY vStatus;
        if (vHandle != 0) fb_cancel_operation(vStatus, &vHandle, fb_cancel_abort);
        vFired = true;  // once per call
      }
    }
  }

  std::mutex vLock;
  std::condition_variable vWake;
  int vDepth = 0;
  bool vFired = false;
  isc_db_handle vDb = 0;
  std::chrono::steady_clock::time_point vDeadline;
};

// Marks one client call on pDb for the watchdog while it runs.
class TCallBound {
 public:
  explicit TCallBound(isc_db_handle pDb) { TCallWatchdog::FInstance().PEnter(pDb); }
  ~TCallBound() { TCallWatchdog::FInstance().PLeave(); }
  TCallBound(const TCallBound&) = delete;
  TCallBound& operator=(const TCallBound&) = delete;
};

// The database's message for a status vector, one line per entry.
std::string FStatusMessage(const ISC_STATUS* pStatus) {
  std::string vMessage;
  const ISC_STATUS* vCursor = pStatus;
  char vBuffer[1024];
  while (fb_interpret(vBuffer, sizeof vBuffer, &vCursor) > 0) {
    if (!vMessage.empty()) vMessage += '\n';
    vMessage += vBuffer;
  }
  if (vMessage.empty()) vMessage = "Unknown database error";
  return vMessage;
}

// Turns a failed call's status vector into our exception.
void PCheck(const ISC_STATUS* pStatus, const std::string& pStatement = {}) {
  if (pStatus[0] == 1 && pStatus[1] != 0) throw EDatabaseError(FStatusMessage(pStatus), pStatement);
}

bool FEqualsNoCase(std::string_view pA, std::string_view pB) {
  return pA.size() == pB.size() &&
         std::equal(pA.begin(), pA.end(), pB.begin(), [](unsigned char a, unsigned char b) {
           return std::toupper(a) == std::toupper(b);
         });
}

void PAddDpbString(std::string& pDpb, char pTag, const std::string& pValue) {
  // A DPB string item holds at most 255 bytes; longer values cannot be
  // expressed and would corrupt the block.
  if (pValue.size() > 255) throw EDatabaseError("Connection parameter too long");
  pDpb += pTag;
  pDpb += static_cast<char>(pValue.size());
  pDpb += pValue;
}

void PAddInt32(std::string& pBlock, char pTag, int pValue) {
  pBlock += pTag;
  pBlock += static_cast<char>(4);
  for (int i = 0; i < 4; ++i) pBlock += static_cast<char>((pValue >> (8 * i)) & 0xFF);
}

// A statement that only reads runs in a read-only transaction: in read
// committed mode the engine starts it as committed already, so its end
// needs no write and no flush of the database file (a read-write one forces
// both at every commit). A select that locks its rows writes.
bool FOnlyReads(const std::string& pSQL) {
  std::string vUpper;
  vUpper.reserve(pSQL.size());
  for (const char c : pSQL) vUpper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const std::size_t vStart = vUpper.find_first_not_of(" \t\r\n(");
  return vStart != std::string::npos && vUpper.compare(vStart, 6, "SELECT") == 0 &&
         vUpper.find("WITH LOCK") == std::string::npos && vUpper.find("FOR UPDATE") == std::string::npos;
}

std::string FTpb(bool pReadOnly) {
  std::string vTpb;
  vTpb += static_cast<char>(isc_tpb_version3);
  vTpb += static_cast<char>(pReadOnly ? isc_tpb_read : isc_tpb_write);
  vTpb += static_cast<char>(isc_tpb_read_committed);
  vTpb += static_cast<char>(isc_tpb_rec_version);
  vTpb += static_cast<char>(isc_tpb_wait);
  PAddInt32(vTpb, isc_tpb_lock_timeout, cLockTimeoutSeconds);
  return vTpb;
}

// XSQLDA with room for pCount variables; XSQLDA is a C struct with a
// trailing array, so it lives in raw storage.
struct TSqlda {
  std::unique_ptr<char[]> vStorage;
  XSQLDA* vDa = nullptr;
  void PAllocate(int pCount) {
    const int vCount = std::max(pCount, 1);
    vStorage = std::make_unique<char[]>(XSQLDA_LENGTH(vCount));
    std::memset(vStorage.get(), 0, XSQLDA_LENGTH(vCount));
    vDa = reinterpret_cast<XSQLDA*>(vStorage.get());
    vDa->version = SQLDA_VERSION1;
    vDa->sqln = static_cast<ISC_SHORT>(vCount);
  }
};

}  // namespace

struct TSQLConnection::TAttachment {
  isc_db_handle vDb = 0;
  ~TAttachment() {
    if (vDb) {
      const TCallBound vBound(vDb);
      ISC_STATUS_ARRAY vStatus;
      isc_detach_database(vStatus, &vDb);
    }
  }
};

struct TSQLStatement::THandles {
  isc_stmt_handle vStmt = 0;
  isc_tr_handle vTr = 0;
  std::string vPreparedSQL;  // text of vStmt; empty when nothing is prepared
  TSqlda vOut;
  std::vector<std::unique_ptr<char[]>> vBuffers;
  std::vector<short> vIndicators;
  bool vCursorOpen = false;
  isc_db_handle vDb = 0;  // the attachment the handles belong to

  void PRollback() noexcept {
    if (vTr) {
      const TCallBound vBound(vDb);
      ISC_STATUS_ARRAY vStatus;
      if (isc_rollback_transaction(vStatus, &vTr)) vTr = 0;
    }
  }
  void PCloseCursor() noexcept {
    if (vCursorOpen) {
      const TCallBound vBound(vDb);
      ISC_STATUS_ARRAY vStatus;
      isc_dsql_free_statement(vStatus, &vStmt, DSQL_close);
      vCursorOpen = false;
    }
  }
  void PDrop() noexcept {
    PCloseCursor();
    if (vStmt) {
      const TCallBound vBound(vDb);
      ISC_STATUS_ARRAY vStatus;
      isc_dsql_free_statement(vStatus, &vStmt, DSQL_drop);
      vStmt = 0;
    }
    vPreparedSQL.clear();
  }
  ~THandles() {
    PDrop();
    PRollback();
  }
};

// ---- TSQLConnection ---------------------------------------------------------

TSQLConnection::TSQLConnection() = default;

TSQLConnection::~TSQLConnection() { PClose(); }

void TSQLConnection::PSetDriverName(const std::string& pValue) {
  vDriverName = pValue;
  vLibraryName.clear();
  vGetDriverFunc.clear();
  vVendorLib.clear();
  vParams.clear();
}

void TSQLConnection::PSetParam(const std::string& pName, const std::string& pValue) {
  auto vFound = std::find_if(vParams.begin(), vParams.end(),
                             [&](const auto& p) { return FEqualsNoCase(p.first, pName); });
  if (pValue.empty()) {
    if (vFound != vParams.end()) vParams.erase(vFound);
  } else if (vFound != vParams.end()) {
    vFound->second = pValue;
  } else {
    vParams.emplace_back(pName, pValue);
  }
}

bool TSQLConnection::FHasParam(const std::string& pName) const {
  return std::any_of(vParams.begin(), vParams.end(),
                     [&](const auto& p) { return FEqualsNoCase(p.first, pName); });
}

std::string TSQLConnection::FParam(const std::string& pName) const {
  for (const auto& [vName, vValue] : vParams)
    if (FEqualsNoCase(vName, pName)) return vValue;
  return {};
}

bool TSQLConnection::FConnected() const noexcept { return vAttachment != nullptr; }

void TSQLConnection::POpen() {
  if (vAttachment) return;
  const std::string vDatabase = FParam("Database");
  std::string vDpb;
  vDpb += static_cast<char>(isc_dpb_version1);
  if (FHasParam("User_Name")) PAddDpbString(vDpb, isc_dpb_user_name, FParam("User_Name"));
  if (FHasParam("PassWord")) PAddDpbString(vDpb, isc_dpb_password, FParam("PassWord"));
  PAddInt32(vDpb, isc_dpb_connect_timeout, cConnectTimeoutSeconds);

  auto vNew = std::make_unique<TAttachment>();
  ISC_STATUS_ARRAY vStatus;
  // An empty name would make the client pick some default database; the
  // connection has nothing to open then.
  if (vDatabase.empty()) throw EDatabaseError("Database name is missing");
  isc_attach_database(vStatus, static_cast<short>(vDatabase.size()), vDatabase.c_str(), &vNew->vDb,
                      static_cast<short>(vDpb.size()), vDpb.data());
  PCheck(vStatus);

  const char vItems[] = {isc_info_db_sql_dialect, isc_info_end};
  char vInfo[32] = {};
  isc_database_info(vStatus, &vNew->vDb, sizeof vItems, vItems, sizeof vInfo, vInfo);
  PCheck(vStatus);
  int vDialect = 3;
  if (vInfo[0] == isc_info_db_sql_dialect) {
    const short vLength = static_cast<short>(isc_vax_integer(vInfo + 1, 2));
    vDialect = static_cast<int>(isc_vax_integer(vInfo + 3, vLength));
  }
  this->vDialect = vDialect == 1 ? 1 : 3;
  vAttachment = std::move(vNew);
}

void TSQLConnection::PClose() noexcept {
  for (TSQLStatement* vStatement : vStatements) vStatement->PRelease();
  vAttachment.reset();
}

TSQLConnection::TAttachment& TSQLConnection::FAttachment() {
  POpen();
  return *vAttachment;
}

// ---- TSQLStatement ----------------------------------------------------------

TSQLStatement::TSQLStatement(TSQLConnection& pConnection)
    : vConnection(pConnection), vHandles(std::make_unique<THandles>()) {
  vConnection.PRegister(this);
}

TSQLStatement::~TSQLStatement() {
  vHandles.reset();
  vConnection.PUnregister(this);
}

void TSQLStatement::PRelease() noexcept {
  vHandles->PDrop();
  vHandles->PRollback();
  if (vOnRelease) vOnRelease();
}

void TSQLStatement::PPrepare(const std::string& pSQL) {
  THandles& h = *vHandles;
  TSQLConnection::TAttachment& vAttachment = vConnection.FAttachment();
  h.vDb = vAttachment.vDb;
  const TCallBound vBound(h.vDb);
  ISC_STATUS_ARRAY vStatus;
  if (!h.vTr) {
    const std::string vTpb = FTpb(FOnlyReads(pSQL));
    isc_start_transaction(vStatus, &h.vTr, 1, &vAttachment.vDb, static_cast<unsigned short>(vTpb.size()),
                          vTpb.data());
    PCheck(vStatus, pSQL);
  }
  if (h.vStmt && h.vPreparedSQL == pSQL) return;
  h.PDrop();
  isc_dsql_allocate_statement(vStatus, &vAttachment.vDb, &h.vStmt);
  PCheck(vStatus, pSQL);

  h.vOut.PAllocate(20);
  isc_dsql_prepare(vStatus, &h.vTr, &h.vStmt, 0, pSQL.c_str(), static_cast<unsigned short>(vConnection.FDialect()),
                   h.vOut.vDa);
  if (vStatus[0] == 1 && vStatus[1]) {
    const std::string vMessage = FStatusMessage(vStatus);
    h.PDrop();
    throw EDatabaseError(vMessage, pSQL);
  }
  if (h.vOut.vDa->sqld > h.vOut.vDa->sqln) {
    const int vCount = h.vOut.vDa->sqld;
    h.vOut.PAllocate(vCount);
    isc_dsql_describe(vStatus, &h.vStmt, SQLDA_VERSION1, h.vOut.vDa);
    PCheck(vStatus, pSQL);
  }

  // Output buffers for every column in its native type; nullable or not,
  // each gets an indicator so NULL is always seen.
  XSQLDA* vDa = h.vOut.vDa;
  h.vBuffers.clear();
  h.vIndicators.assign(vDa->sqld, 0);
  vColumns.clear();
  for (int i = 0; i < vDa->sqld; ++i) {
    XSQLVAR& v = vDa->sqlvar[i];
    const int vType = v.sqltype & ~1;
    std::size_t vSize = v.sqllen;
    if (vType == SQL_VARYING) vSize += sizeof(short);
    h.vBuffers.push_back(std::make_unique<char[]>(std::max<std::size_t>(vSize, 1) + 8));
    v.sqldata = h.vBuffers.back().get();
    v.sqlind = &h.vIndicators[i];
    v.sqltype = static_cast<ISC_SHORT>(vType | 1);
    vColumns.push_back({std::string(v.aliasname, static_cast<std::size_t>(v.aliasname_length))});
  }
  h.vPreparedSQL = pSQL;
}

void TSQLStatement::PExecute(const std::string& pSQL, const TParamValues& pValues) {
  THandles& h = *vHandles;
  // Every parameter travels as text (or NULL); the database converts it to
  // the type the statement expects there.
  TSqlda vIn;
  vIn.PAllocate(static_cast<int>(pValues.size()));
  vIn.vDa->sqld = static_cast<ISC_SHORT>(pValues.size());
  std::vector<short> vNullFlags(pValues.size(), 0);
  for (std::size_t i = 0; i < pValues.size(); ++i) {
    XSQLVAR& v = vIn.vDa->sqlvar[i];
    v.sqltype = SQL_TEXT | 1;
    v.sqlsubtype = 0;
    v.sqlscale = 0;
    if (pValues[i]) {
      if (pValues[i]->size() > 32767) throw EDatabaseError("Parameter value too long", pSQL);
      v.sqllen = static_cast<ISC_SHORT>(pValues[i]->size());
      v.sqldata = const_cast<char*>(pValues[i]->data());
    } else {
      vNullFlags[i] = -1;
      v.sqllen = 0;
      v.sqldata = nullptr;
    }
    v.sqlind = &vNullFlags[i];
  }
  const TCallBound vBound(h.vDb);
  ISC_STATUS_ARRAY vStatus;
  isc_dsql_execute(vStatus, &h.vTr, &h.vStmt, SQLDA_VERSION1, pValues.empty() ? nullptr : vIn.vDa);
  PCheck(vStatus, pSQL);
}

void TSQLStatement::POpen(const std::string& pSQL, const TParamValues& pValues) {
  THandles& h = *vHandles;
  try {
    PPrepare(pSQL);
    if (h.vOut.vDa->sqld == 0) throw EDatabaseError("Cursor not returned from Query", pSQL);
    PExecute(pSQL, pValues);
    h.vCursorOpen = true;
  } catch (...) {
    h.PCloseCursor();
    h.PRollback();
    throw;
  }
}

void TSQLStatement::PExec(const std::string& pSQL, const TParamValues& pValues) {
  THandles& h = *vHandles;
  try {
    PPrepare(pSQL);
    PExecute(pSQL, pValues);
    const TCallBound vBound(h.vDb);
    ISC_STATUS_ARRAY vStatus;
    isc_commit_transaction(vStatus, &h.vTr);
    PCheck(vStatus, pSQL);
  } catch (...) {
    h.PRollback();
    throw;
  }
}

void TSQLStatement::PPrepareOnly(const std::string& pSQL) {
  THandles& h = *vHandles;
  try {
    PPrepare(pSQL);
  } catch (...) {
    h.PRollback();
    throw;
  }
  h.PRollback();
}

namespace {

std::string FReadBlob(isc_db_handle* pDb, isc_tr_handle* pTr, ISC_QUAD pId, const std::string& pSQL) {
  const TCallBound vBound(*pDb);
  ISC_STATUS_ARRAY vStatus;
  isc_blob_handle vBlob = 0;
  isc_open_blob2(vStatus, pDb, pTr, &vBlob, &pId, 0, nullptr);
  PCheck(vStatus, pSQL);
  struct TCloser {
    isc_blob_handle& h;
    ~TCloser() {
      ISC_STATUS_ARRAY s;
      isc_close_blob(s, &h);
    }
  } vCloser{vBlob};
  std::string vText;
  char vSegment[8192];
  for (;;) {
    unsigned short vLength = 0;
    const ISC_STATUS vResult = isc_get_segment(vStatus, &vBlob, &vLength, sizeof vSegment, vSegment);
    if (vResult == 0 || vResult == isc_segment) {
      vText.append(vSegment, vLength);
      continue;
    }
    if (vResult == isc_segstr_eof) break;
    PCheck(vStatus, pSQL);
    break;
  }
  return vText;
}

void PDecodeTimestamp(const ISC_TIMESTAMP& pStamp, TFieldValue& pValue) {
  std::tm vTm{};
  isc_decode_timestamp(&pStamp, &vTm);
  pValue.vYear = vTm.tm_year + 1900;
  pValue.vMonth = vTm.tm_mon + 1;
  pValue.vDay = vTm.tm_mday;
  pValue.vHour = vTm.tm_hour;
  pValue.vMinute = vTm.tm_min;
  pValue.vSecond = vTm.tm_sec;
  pValue.vMillisecond = static_cast<int>((pStamp.timestamp_time % 10000) / 10);
}

}  // namespace

bool TSQLStatement::FFetch(std::vector<TFieldValue>& pRow) {
  THandles& h = *vHandles;
  if (!h.vCursorOpen) return false;
  const std::string& vSQL = h.vPreparedSQL;
  ISC_STATUS_ARRAY vStatus;
  const TCallBound vBound(h.vDb);
  const ISC_STATUS vResult = isc_dsql_fetch(vStatus, &h.vStmt, SQLDA_VERSION1, h.vOut.vDa);
  if (vResult == 100) {
    PClose();
    return false;
  }
  if (vResult != 0) {
    const std::string vMessage = FStatusMessage(vStatus);
    h.PCloseCursor();
    h.PRollback();
    throw EDatabaseError(vMessage, vSQL);
  }
  XSQLDA* vDa = h.vOut.vDa;
  pRow.assign(vDa->sqld, TFieldValue{});
  for (int i = 0; i < vDa->sqld; ++i) {
    const XSQLVAR& v = vDa->sqlvar[i];
    TFieldValue& f = pRow[i];
    if (*v.sqlind < 0) continue;  // NULL
    const char* d = v.sqldata;
    using K = TFieldValue::TKind;
    switch (v.sqltype & ~1) {
      case SQL_TEXT:
        f.vKind = K::Text;
        f.vText.assign(d, static_cast<std::size_t>(v.sqllen));
        break;
      case SQL_VARYING: {
        short vLength;
        std::memcpy(&vLength, d, sizeof vLength);
        f.vKind = K::Text;
        f.vText.assign(d + sizeof(short), static_cast<std::size_t>(std::max<short>(vLength, 0)));
        break;
      }
      case SQL_SHORT:
        f.vKind = K::Integer;
        f.vInteger = FUnaligned<ISC_SHORT>(d);
        f.vScale = v.sqlscale;
        break;
      case SQL_LONG:
        f.vKind = K::Integer;
        f.vInteger = FUnaligned<ISC_LONG>(d);
        f.vScale = v.sqlscale;
        break;
      case SQL_INT64:
        f.vKind = K::Integer;
        f.vInteger = FUnaligned<ISC_INT64>(d);
        f.vScale = v.sqlscale;
        break;
      case SQL_FLOAT:
        f.vKind = K::Double;
        f.vDouble = FUnaligned<float>(d);
        break;
      case SQL_DOUBLE:
      case SQL_D_FLOAT:
        f.vKind = K::Double;
        f.vDouble = FUnaligned<double>(d);
        break;
      case SQL_TIMESTAMP: {
        ISC_TIMESTAMP x;
        std::memcpy(&x, d, sizeof x);
        f.vKind = K::Timestamp;
        PDecodeTimestamp(x, f);
        break;
      }
      case SQL_TYPE_DATE: {
        ISC_TIMESTAMP x{};
        std::memcpy(&x.timestamp_date, d, sizeof x.timestamp_date);
        f.vKind = K::Date;
        PDecodeTimestamp(x, f);
        break;
      }
      case SQL_TYPE_TIME: {
        ISC_TIMESTAMP x{};
        std::memcpy(&x.timestamp_time, d, sizeof x.timestamp_time);
        // Day zero of the host's date-time scale carries a bare time.
        x.timestamp_date = 15018;  // 30/12/1899 counted from 17/11/1858
        f.vKind = K::Time;
        PDecodeTimestamp(x, f);
        break;
      }
      case SQL_BOOLEAN:
        f.vKind = K::Integer;
        f.vInteger = *reinterpret_cast<const unsigned char*>(d) ? 1 : 0;
        break;
      case SQL_BLOB: {
        ISC_QUAD vId;
        std::memcpy(&vId, d, sizeof vId);
        f.vKind = K::Text;
        f.vText = FReadBlob(&vConnection.FAttachment().vDb, &h.vTr, vId, vSQL);
        break;
      }
      case SQL_NULL:
        break;
      default:
        throw EDatabaseError("Unsupported column type in \"" + vColumns[i].vName + "\"", vSQL);
    }
  }
  return true;
}

void TSQLStatement::PClose() noexcept {
  THandles& h = *vHandles;
  h.PCloseCursor();
  if (h.vTr) {
    const TCallBound vBound(h.vDb);
    ISC_STATUS_ARRAY vStatus;
    // A read that is done has nothing to keep; when the commit fails the
    // transaction is rolled back instead so no handle is left behind.
    if (isc_commit_transaction(vStatus, &h.vTr)) h.PRollback();
  }
}

}  // namespace data
