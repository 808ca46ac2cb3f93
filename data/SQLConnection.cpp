// The connection and the statement runner, on the owned handles of
// data/FbHandles.h.
//
// One attach per connection; each statement runs in its own read-committed
// transaction that is committed as soon as the statement is done (auto-
// commit), waits at most 5 s for a locked row, and so never hangs a request.
// Statements are prepared in the database's own SQL dialect: the store
// database is dialect 1, where "X" is a string constant.
#include "data/SQLConnection.h"

#include "data/FbClient.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "data/FbHandles.h"
#include "port/Text.h"

namespace data {

namespace {

// Lock waits and connection attempts give up after this many seconds, so
// that a locked order row or an unreachable server answers with an error
// rather than a hung request. (A call that waits longer than both is cut
// off by the call watchdog, data/FbCallWatchdog.h.)
constexpr int cLockTimeoutSeconds = 5;
constexpr int cConnectTimeoutSeconds = 5;
// A parameter-block string item carries its length in one byte.
constexpr std::size_t cMaxParamBlockString = 255;

void PAddString(std::string& pBlock, char pTag, const std::string& pValue) {
  // A longer value cannot be expressed and would corrupt the block.
  if (pValue.size() > cMaxParamBlockString) throw EDatabaseError("Connection parameter too long");
  pBlock += pTag;
  pBlock += static_cast<char>(pValue.size());
  pBlock += pValue;
}

// A 4-byte number item, least significant byte first.
void PAddInt32(std::string& pBlock, char pTag, int pValue) {
  pBlock += pTag;
  pBlock += static_cast<char>(4);
  for (int i = 0; i < 4; ++i) pBlock += static_cast<char>((pValue >> (8 * i)) & 0xFF);
}

// A statement that only reads runs in a read-only transaction: in read
// committed mode the engine starts it as committed already, so its end
// needs no write and no flush of the database file (a read-write one forces
// both at every commit). A select that locks its rows writes.
// (Asked at every run: the text is searched in place, not copied.)
bool FOnlyReads(std::string_view pSQL) {
  const auto vUpper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
  const auto vAt = [&](std::size_t pPos, std::string_view pWord) {
    if (pSQL.size() - pPos < pWord.size()) return false;
    for (std::size_t i = 0; i < pWord.size(); ++i)
      if (vUpper(pSQL[pPos + i]) != pWord[i]) return false;
    return true;
  };
  const auto vContains = [&](std::string_view pWord) {
    for (std::size_t i = 0; i < pSQL.size(); ++i)
      if (vUpper(pSQL[i]) == pWord[0] && vAt(i, pWord)) return true;
    return false;
  };
  const std::size_t vStart = pSQL.find_first_not_of(" \t\r\n(");
  return vStart != std::string_view::npos && vAt(vStart, "SELECT") && !vContains("WITH LOCK") &&
         !vContains("FOR UPDATE");
}

std::string FTransactionParams(const std::string& pSQL) {
  std::string vTpb;
  vTpb += static_cast<char>(isc_tpb_version3);
  vTpb += static_cast<char>(FOnlyReads(pSQL) ? isc_tpb_read : isc_tpb_write);
  for (const char vItem : {isc_tpb_read_committed, isc_tpb_rec_version, isc_tpb_wait}) vTpb += vItem;
  PAddInt32(vTpb, isc_tpb_lock_timeout, cLockTimeoutSeconds);
  return vTpb;
}

}  // namespace

// The attachment and the statements prepared on it that no run holds now.
// Runs borrow a statement by its text and give it back when they end; a
// text in use by one run is prepared again for a second one (a query read
// inside the loop of another), and both are kept.
struct TSQLConnection::TAttachment {
  TFbAttachment vDb;
  // Keyed by a view of the statement's own text, which lives as long as
  // its entry: giving a statement back copies no text.
  std::unordered_multimap<std::string_view, std::unique_ptr<TFbStatement>> vPrepared;  // destroyed before vDb

  TAttachment(const std::string& pDatabase, const std::string& pDpb) : vDb(pDatabase, pDpb) {
    if (FIsEmbeddedDatabase(pDatabase)) PNoteEmbeddedAttach();
  }

  std::unique_ptr<TFbStatement> FBorrow(const std::string& pSQL, TFbTransaction& pTransaction) {
    const auto vFound = vPrepared.find(pSQL);
    if (vFound == vPrepared.end()) return std::make_unique<TFbStatement>(vDb, pTransaction, pSQL);
    std::unique_ptr<TFbStatement> vStatement = std::move(vFound->second);
    vPrepared.erase(vFound);
    return vStatement;
  }

  void PGiveBack(std::unique_ptr<TFbStatement> pStatement) {
    const std::string_view vText = pStatement->FText();
    vPrepared.emplace(vText, std::move(pStatement));
  }
};

// One run of a statement: its transaction and the borrowed statement.
// Destroyed without PEnd (after an error), it drops the statement and rolls
// the transaction back.
struct TSQLStatement::TRun {
  TSQLConnection::TAttachment& vAttachment;
  TFbTransaction vTransaction;
  std::unique_ptr<TFbStatement> vStatement;

  TRun(TSQLConnection::TAttachment& pAttachment, const std::string& pSQL)
      : vAttachment(pAttachment), vTransaction(pAttachment.vDb, FTransactionParams(pSQL), pSQL) {
    vStatement = vAttachment.FBorrow(pSQL, vTransaction);
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
                             [&](const auto& p) { return port::FSameTextNoCase(p.first, pName); });
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
                     [&](const auto& p) { return port::FSameTextNoCase(p.first, pName); });
}

std::string TSQLConnection::FParam(const std::string& pName) const {
  for (const auto& [vName, vValue] : vParams)
    if (port::FSameTextNoCase(vName, pName)) return vValue;
  return {};
}

bool TSQLConnection::FConnected() const noexcept { return vAttachment != nullptr && !vLost; }

std::size_t TSQLConnection::FPreparedCount() const noexcept {
  return vAttachment ? vAttachment->vPrepared.size() : 0;
}

void TSQLConnection::POpen() {
  if (vAttachment && !vLost) return;
  if (vLost) PDropLostConnection();
  const std::string vDatabase = FParam("Database");
  std::string vDpb(1, static_cast<char>(isc_dpb_version1));
  if (FHasParam("User_Name")) PAddString(vDpb, isc_dpb_user_name, FParam("User_Name"));
  if (FHasParam("PassWord")) PAddString(vDpb, isc_dpb_password, FParam("PassWord"));
  PAddInt32(vDpb, isc_dpb_connect_timeout, cConnectTimeoutSeconds);
  // An empty name would make the client pick some default database; the
  // connection has nothing to open then.
  if (vDatabase.empty()) throw EDatabaseError("Database name is missing");
  vAttachment = std::make_unique<TAttachment>(vDatabase, vDpb);
  vDialect = vAttachment->vDb.FDialect();
}

void TSQLConnection::PClose() noexcept {
  for (TSQLStatement* vStatement : vStatements) vStatement->PRelease();
  vAttachment.reset();
  vLost = false;
}

void TSQLConnection::PEndRequest() noexcept {
  for (TSQLStatement* vStatement : vStatements) vStatement->PRelease();
  vIdle = vAttachment != nullptr;
}

void TSQLConnection::PDropLostConnection() noexcept {
  // The client releases the handles of a broken connection without
  // reaching the server, so this is PClose.
  PClose();
}

TSQLConnection::TAttachment& TSQLConnection::FAttachment() {
  POpen();
  return *vAttachment;
}

// ---- TSQLStatement ----------------------------------------------------------

TSQLStatement::TSQLStatement(TSQLConnection& pConnection) : vConnection(pConnection) {
  vConnection.PRegister(this);
}

TSQLStatement::~TSQLStatement() {
  if (vRun) PEnd(false);
  vConnection.PUnregister(this);
}

// Runs a step of a run; when it raises, the run is abandoned (and a lost
// connection noted) before the error goes on to the caller.
template <class TStep>
auto TSQLStatement::FGuarded(TStep&& pStep) -> decltype(pStep()) {
  try {
    return pStep();
  } catch (const EDatabaseError& e) {
    PAbandon(e.FConnectionLost());
    throw;
  } catch (...) {
    PAbandon(false);
    throw;
  }
}

void TSQLStatement::PStart(const std::string& pSQL) {
  if (vRun) PEnd(true);
  vRun = std::make_unique<TRun>(vConnection.FAttachment(), pSQL);
  vColumns = vRun->vStatement->FColumns();
}

void TSQLStatement::PEnd(bool pCommit) noexcept {
  vRun->vStatement->PCloseCursor();
  if (pCommit) {
    // A read that is done has nothing to keep: a commit that fails has
    // rolled back instead, and the rows already read stand.
    try {
      vRun->vTransaction.PCommit(vRun->vStatement->FText());
    } catch (const EDatabaseError& e) {
      if (e.FConnectionLost()) vConnection.PMarkLost();
    }
  }
  vRun->vTransaction.PRollback();
  vRun->vAttachment.PGiveBack(std::move(vRun->vStatement));
  vRun.reset();
}

void TSQLStatement::PAbandon(bool pConnectionLost) noexcept {
  vRun.reset();
  if (pConnectionLost) vConnection.PMarkLost();
}

template <class TStatementRun>
void TSQLStatement::PRunOnceMoreAfterIdle(TStatementRun&& pRun) {
  const bool vAfterIdle = vConnection.FTakeIdle();
  try {
    pRun();
  } catch (const EDatabaseError& e) {
    // A statement the broken connection refused did not run: the lost
    // connection is dropped by the next attach, and the statement runs on
    // the new one. Once only: a second failure is the caller's.
    if (!vAfterIdle || !e.FConnectionLost()) throw;
    pRun();
  }
}

void TSQLStatement::POpen(const std::string& pSQL, const TParamValues& pValues) {
  PRunOnceMoreAfterIdle([&] {
    FGuarded([&] {
      PStart(pSQL);
      if (vColumns.empty()) throw EDatabaseError("Cursor not returned from Query", pSQL);
      vRun->vStatement->PExecute(vRun->vTransaction, pValues);
    });
  });
}

bool TSQLStatement::FFetch(std::vector<TFieldValue>& pRow) {
  if (!vRun) return false;
  return FGuarded([&] {
    if (vRun->vStatement->FFetch(vRun->vTransaction, pRow)) return true;
    PEnd(true);
    return false;
  });
}

void TSQLStatement::PExec(const std::string& pSQL, const TParamValues& pValues) {
  PRunOnceMoreAfterIdle([&] {
    FGuarded([&] {
      PStart(pSQL);
      vRun->vStatement->PExecute(vRun->vTransaction, pValues);
      vRun->vTransaction.PCommit(pSQL);
      PEnd(false);
    });
  });
}

void TSQLStatement::PPrepareOnly(const std::string& pSQL) {
  FGuarded([&] {
    PStart(pSQL);
    PEnd(false);
  });
}

void TSQLStatement::PClose() noexcept {
  if (vRun) PEnd(true);
}

void TSQLStatement::PRelease() noexcept {
  if (vRun) PEnd(false);
  if (vOnRelease) vOnRelease();
}

}  // namespace data
