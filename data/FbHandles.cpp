#include "data/FbHandles.h"

#include <algorithm>

#include "data/FbCallWatchdog.h"
#include "data/FbClientApi.h"
#include "data/FbColumnDecoder.h"
#include "data/FbStatus.h"

namespace data {

namespace {

// Columns described by the prepare itself, so that it needs no second
// round trip: the widest statement of the service (the financing plans)
// returns 40. A wider one is described again.
constexpr int cColumnsDescribedAtPrepare = 48;
// A parameter's length is a signed 16-bit field of XSQLVAR.
constexpr std::size_t cMaxParamLength = 32767;
// A blob is read in segments of this size (the call's length is 16-bit).
constexpr unsigned short cBlobSegmentSize = 8192;
// isc_dsql_fetch's answer at the end of the cursor (SQLCODE 100).
constexpr ISC_STATUS cFetchEndOfCursor = 100;

// The dialect's info answer: the item, its 2-byte length, a value of at
// most cInfoNumberMaxBytes, the end marker; with room to spare.
constexpr unsigned cInfoNumberMaxBytes = 4;
constexpr std::size_t cDialectInfoSize = 16;

// A number of an info block: pLength bytes, least significant first.
unsigned FLittleEndian(const unsigned char* pBytes, unsigned pLength) noexcept {
  unsigned vValue = 0;
  for (unsigned i = std::min(pLength, cInfoNumberMaxBytes); i > 0; --i) vValue = (vValue << 8) | pBytes[i - 1];
  return vValue;
}

}  // namespace

// XSQLDA is a C struct with a trailing array of XSQLVAR; it lives in raw
// storage sized for its variables.
struct TFbStatement::TSqlda {
  std::vector<char> vStorage;
  explicit TSqlda(int pCount) : vStorage(XSQLDA_LENGTH(std::max(pCount, 1)), 0) {
    FDa()->version = SQLDA_VERSION1;
    FDa()->sqln = static_cast<ISC_SHORT>(std::max(pCount, 1));
  }
  [[nodiscard]] XSQLDA* FDa() noexcept { return reinterpret_cast<XSQLDA*>(vStorage.data()); }
};

// ---- TFbAttachment ----------------------------------------------------------

TFbAttachment::TFbAttachment(const std::string& pDatabase, const std::string& pDpb) {
  const TFbClientApi& vApi = FClientApi();
  ISC_STATUS_ARRAY vStatus;
  vApi.isc_attach_database(vStatus, static_cast<short>(pDatabase.size()), pDatabase.c_str(), &vDb.vHandle,
                           static_cast<short>(pDpb.size()), pDpb.data());
  if (FFailed(vStatus)) PRaiseAttachFailure(vStatus);

  const TCallBound vBound(vDb.vHandle);
  const char vItems[] = {isc_info_db_sql_dialect, isc_info_end};
  unsigned char vInfo[cDialectInfoSize] = {};
  vApi.isc_database_info(vStatus, &vDb.vHandle, sizeof vItems, vItems, sizeof vInfo,
                         reinterpret_cast<ISC_SCHAR*>(vInfo));
  PCheck(vStatus);
  if (vInfo[0] == isc_info_db_sql_dialect && FLittleEndian(vInfo + 3, FLittleEndian(vInfo + 1, 2)) == 1)
    vDialect = 1;
}

TFbAttachment::~TFbAttachment() = default;

TFbAttachment::THandle::~THandle() {
  if (vHandle == 0) return;
  const TCallBound vBound(vHandle);
  ISC_STATUS_ARRAY vStatus;
  FClientApi().isc_detach_database(vStatus, &vHandle);
}

// ---- TFbTransaction ---------------------------------------------------------

TFbTransaction::TFbTransaction(TFbAttachment& pAttachment, const std::string& pTpb, const std::string& pStatement)
    : vAttachment(pAttachment) {
  // The transaction's one database, as isc_start_multiple takes it.
  struct {
    isc_db_handle* vDb;
    long vTpbLength;
    const char* vTpb;
  } vTeb{&vAttachment.FHandle(), static_cast<long>(pTpb.size()), pTpb.data()};
  const TCallBound vBound(vAttachment.FHandle());
  ISC_STATUS_ARRAY vStatus;
  FClientApi().isc_start_multiple(vStatus, &vTr, 1, &vTeb);
  PCheck(vStatus, pStatement);
}

TFbTransaction::~TFbTransaction() { PRollback(); }

void TFbTransaction::PCommit(const std::string& pStatement) {
  const TCallBound vBound(vAttachment.FHandle());
  ISC_STATUS_ARRAY vStatus;
  if (FClientApi().isc_commit_transaction(vStatus, &vTr) == 0) return;
  PRollback();
  PRaise(vStatus, pStatement);
}

void TFbTransaction::PRollback() noexcept {
  if (vTr == 0) return;
  const TCallBound vBound(vAttachment.FHandle());
  ISC_STATUS_ARRAY vStatus;
  FClientApi().isc_rollback_transaction(vStatus, &vTr);
  // The client clears the handle when the rollback succeeds; when it fails
  // (the connection is gone) the transaction is of no further use either.
  vTr = 0;
}

// ---- TFbStatement -----------------------------------------------------------

TFbStatement::TFbStatement(TFbAttachment& pAttachment, TFbTransaction& pTransaction, const std::string& pSQL)
    : vHandle{pAttachment.FHandle()}, vSQL(pSQL), vOut(std::make_unique<TSqlda>(cColumnsDescribedAtPrepare)) {
  const TFbClientApi& vApi = FClientApi();
  const TCallBound vBound(vHandle.vDb);
  ISC_STATUS_ARRAY vStatus;
  vApi.isc_dsql_allocate_statement(vStatus, &pAttachment.FHandle(), &vHandle.vStmt);
  PCheck(vStatus, vSQL);
  vApi.isc_dsql_prepare(vStatus, &pTransaction.FHandle(), &vHandle.vStmt, 0, vSQL.c_str(),
                        static_cast<unsigned short>(pAttachment.FDialect()), vOut->FDa());
  PCheck(vStatus, vSQL);
  if (vOut->FDa()->sqld > vOut->FDa()->sqln) {
    vOut = std::make_unique<TSqlda>(vOut->FDa()->sqld);
    vApi.isc_dsql_describe(vStatus, &vHandle.vStmt, SQLDA_VERSION1, vOut->FDa());
    PCheck(vStatus, vSQL);
  }

  // Every column, nullable or not, gets an indicator, so NULL is always seen.
  XSQLDA* vDa = vOut->FDa();
  vIndicators.assign(static_cast<std::size_t>(vDa->sqld), 0);
  for (int i = 0; i < vDa->sqld; ++i) {
    XSQLVAR& v = vDa->sqlvar[i];
    v.sqltype = static_cast<ISC_SHORT>(v.sqltype | 1);
    vBuffers.emplace_back(FColumnBufferSize(v));
    v.sqldata = vBuffers.back().data();
    v.sqlind = &vIndicators[static_cast<std::size_t>(i)];
    vColumns.push_back({std::string(v.aliasname, static_cast<std::size_t>(v.aliasname_length))});
  }
}

TFbStatement::~TFbStatement() { PCloseCursor(); }

TFbStatement::THandle::~THandle() {
  if (vStmt == 0) return;
  const TCallBound vBound(vDb);
  ISC_STATUS_ARRAY vStatus;
  FClientApi().isc_dsql_free_statement(vStatus, &vStmt, DSQL_drop);
}

void TFbStatement::PExecute(TFbTransaction& pTransaction, const std::vector<const std::string*>& pValues) {
  // Every parameter travels as text (or NULL); the database converts it to
  // the type the statement expects there.
  TSqlda vIn(static_cast<int>(pValues.size()));
  vIn.FDa()->sqld = static_cast<ISC_SHORT>(pValues.size());
  std::vector<ISC_SHORT> vNullFlags(pValues.size(), 0);
  for (std::size_t i = 0; i < pValues.size(); ++i) {
    XSQLVAR& v = vIn.FDa()->sqlvar[i];
    v.sqltype = SQL_TEXT | 1;
    v.sqlind = &vNullFlags[i];
    if (pValues[i] == nullptr) {
      vNullFlags[i] = -1;
      continue;
    }
    if (pValues[i]->size() > cMaxParamLength) throw EDatabaseError("Parameter value too long", vSQL);
    v.sqllen = static_cast<ISC_SHORT>(pValues[i]->size());
    v.sqldata = const_cast<char*>(pValues[i]->data());
  }
  const TCallBound vBound(vHandle.vDb);
  ISC_STATUS_ARRAY vStatus;
  FClientApi().isc_dsql_execute(vStatus, &pTransaction.FHandle(), &vHandle.vStmt, SQLDA_VERSION1,
                                pValues.empty() ? nullptr : vIn.FDa());
  PCheck(vStatus, vSQL);
  vCursorOpen = !vColumns.empty();
}

bool TFbStatement::FFetch(TFbTransaction& pTransaction, std::vector<TFieldValue>& pRow) {
  if (!vCursorOpen) return false;
  XSQLDA* vDa = vOut->FDa();
  {
    const TCallBound vBound(vHandle.vDb);
    ISC_STATUS_ARRAY vStatus;
    const ISC_STATUS vResult = FClientApi().isc_dsql_fetch(vStatus, &vHandle.vStmt, SQLDA_VERSION1, vDa);
    PCheck(vStatus, vSQL);
    if (vResult == cFetchEndOfCursor) {
      // The client refuses a fetch past the end; later calls answer here.
      PCloseCursor();
      return false;
    }
  }
  const TBlobReader vReadBlob = [&](const ISC_QUAD& pId) { return FReadBlob(pTransaction, pId); };
  pRow.assign(static_cast<std::size_t>(vDa->sqld), TFieldValue{});
  for (int i = 0; i < vDa->sqld; ++i) {
    std::optional<TFieldValue> vValue = FDecodeColumn(vDa->sqlvar[i], vReadBlob);
    if (!vValue) throw EDatabaseError("Unsupported column type in \"" + vColumns[i].vName + "\"", vSQL);
    pRow[static_cast<std::size_t>(i)] = std::move(*vValue);
  }
  return true;
}

void TFbStatement::PCloseCursor() noexcept {
  if (!vCursorOpen) return;
  vCursorOpen = false;
  const TCallBound vBound(vHandle.vDb);
  ISC_STATUS_ARRAY vStatus;
  FClientApi().isc_dsql_free_statement(vStatus, &vHandle.vStmt, DSQL_close);
}

std::string TFbStatement::FReadBlob(TFbTransaction& pTransaction, const ISC_QUAD& pId) {
  const TFbClientApi& vApi = FClientApi();
  const TCallBound vBound(vHandle.vDb);
  ISC_STATUS_ARRAY vStatus;
  ISC_QUAD vId = pId;
  struct TBlob {
    isc_blob_handle vHandle = 0;
    ~TBlob() {
      ISC_STATUS_ARRAY vCloseStatus;
      if (vHandle != 0) FClientApi().isc_close_blob(vCloseStatus, &vHandle);
    }
  } vBlob;
  vApi.isc_open_blob2(vStatus, &vHandle.vDb, &pTransaction.FHandle(), &vBlob.vHandle, &vId, 0, nullptr);
  PCheck(vStatus, vSQL);
  std::string vText;
  char vSegment[cBlobSegmentSize];
  while (true) {
    unsigned short vLength = 0;
    const ISC_STATUS vResult = vApi.isc_get_segment(vStatus, &vBlob.vHandle, &vLength, sizeof vSegment, vSegment);
    // isc_segment: the segment went on beyond the buffer; the rest follows.
    if (vResult == 0 || vResult == isc_segment) {
      vText.append(vSegment, vLength);
      continue;
    }
    if (vResult == isc_segstr_eof) return vText;
    PRaise(vStatus, vSQL);
  }
}

}  // namespace data
