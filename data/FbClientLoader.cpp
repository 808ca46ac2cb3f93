// The Firebird client library, loaded on first use.
//
// Every request is a new process, and most requests (the liveness check,
// the WSDL, the service pages, a fault raised before any data operation)
// never attach. Linked the ordinary way, the client library and its own
// dependencies would still be mapped, relocated and initialised by every
// one of them. Instead, this unit defines the client entry points that
// SQLConnection.cpp calls; the first call opens the library with dlopen and
// each entry forwards to the library's own function. The executable is
// linked with --as-needed, so the library is no longer loaded at start-up.
//
// Only entry points with a status vector can meet a missing library; they
// answer with an "unavailable database" status, as for a database that
// cannot be reached. The others are only called after a successful attach.
#include <dlfcn.h>
#include <ibase.h>

#include <cstdarg>
#include <mutex>

#include "data/FbClient.h"

namespace data {

namespace {

constexpr const char* cClientLibrary = "libfbclient.so.2";

void* vLoaded = nullptr;  // set once by FClient

void* FClient() noexcept {
  static std::once_flag vOnce;
  std::call_once(vOnce, [] { vLoaded = ::dlopen(cClientLibrary, RTLD_NOW | RTLD_LOCAL); });
  return vLoaded;
}

// The library's own function pName, or null when the library or the
// function is missing; looked up once per entry point.
template <typename TFunction>
TFunction FEntry(const char* pName) noexcept {
  void* vHandle = FClient();
  return vHandle == nullptr ? nullptr : reinterpret_cast<TFunction>(::dlsym(vHandle, pName));
}

ISC_STATUS FUnavailable(ISC_STATUS* pStatus) noexcept {
  if (pStatus != nullptr) {
    pStatus[0] = isc_arg_gds;
    pStatus[1] = isc_unavailable;
    pStatus[2] = isc_arg_end;
  }
  return isc_unavailable;
}

}  // namespace

void PShutdownClient() noexcept {
  if (vLoaded == nullptr) return;
  using TFunction = int(ISC_EXPORT*)(unsigned int, const int);
  const auto vShutdown = reinterpret_cast<TFunction>(::dlsym(vLoaded, "fb_shutdown"));
  // No time limit of our own: every attachment is detached by now, so the
  // teardown has only the engine's own threads and files to finish.
  if (vShutdown != nullptr) vShutdown(0, fb_shutrsn_app_stopped);
}

}  // namespace data

// Forwards a call that carries a status vector as its first argument.
#define VELMORA_FORWARD(pName, pParams, pArgs)                                          \
  extern "C" ISC_STATUS ISC_EXPORT pName pParams {                                      \
    using TFunction = ISC_STATUS(ISC_EXPORT*) pParams;                                  \
    static const TFunction vReal = data::FEntry<TFunction>(#pName);                     \
    return vReal == nullptr ? data::FUnavailable(pStatus) : vReal pArgs;                \
  }

VELMORA_FORWARD(isc_attach_database,
                (ISC_STATUS * pStatus, short pLength, const ISC_SCHAR* pName, isc_db_handle* pDb, short pDpbLength,
                 const ISC_SCHAR* pDpb),
                (pStatus, pLength, pName, pDb, pDpbLength, pDpb))
VELMORA_FORWARD(isc_database_info,
                (ISC_STATUS * pStatus, isc_db_handle* pDb, short pItemsLength, const ISC_SCHAR* pItems,
                 short pBufferLength, ISC_SCHAR* pBuffer),
                (pStatus, pDb, pItemsLength, pItems, pBufferLength, pBuffer))
VELMORA_FORWARD(isc_detach_database, (ISC_STATUS * pStatus, isc_db_handle* pDb), (pStatus, pDb))
VELMORA_FORWARD(isc_start_multiple, (ISC_STATUS * pStatus, isc_tr_handle* pTr, short pCount, void* pTeb),
                (pStatus, pTr, pCount, pTeb))
VELMORA_FORWARD(isc_commit_transaction, (ISC_STATUS * pStatus, isc_tr_handle* pTr), (pStatus, pTr))
VELMORA_FORWARD(isc_rollback_transaction, (ISC_STATUS * pStatus, isc_tr_handle* pTr), (pStatus, pTr))
VELMORA_FORWARD(isc_dsql_allocate_statement, (ISC_STATUS * pStatus, isc_db_handle* pDb, isc_stmt_handle* pStmt),
                (pStatus, pDb, pStmt))
VELMORA_FORWARD(isc_dsql_prepare,
                (ISC_STATUS * pStatus, isc_tr_handle* pTr, isc_stmt_handle* pStmt, unsigned short pLength,
                 const ISC_SCHAR* pSQL, unsigned short pDialect, XSQLDA* pDa),
                (pStatus, pTr, pStmt, pLength, pSQL, pDialect, pDa))
VELMORA_FORWARD(isc_dsql_describe,
                (ISC_STATUS * pStatus, isc_stmt_handle* pStmt, unsigned short pVersion, XSQLDA* pDa),
                (pStatus, pStmt, pVersion, pDa))
VELMORA_FORWARD(isc_dsql_execute,
                (ISC_STATUS * pStatus, isc_tr_handle* pTr, isc_stmt_handle* pStmt, unsigned short pVersion,
                 const XSQLDA* pDa),
                (pStatus, pTr, pStmt, pVersion, pDa))
VELMORA_FORWARD(isc_dsql_fetch,
                (ISC_STATUS * pStatus, isc_stmt_handle* pStmt, unsigned short pVersion, const XSQLDA* pDa),
                (pStatus, pStmt, pVersion, pDa))
VELMORA_FORWARD(isc_dsql_free_statement, (ISC_STATUS * pStatus, isc_stmt_handle* pStmt, unsigned short pOption),
                (pStatus, pStmt, pOption))
VELMORA_FORWARD(isc_open_blob2,
                (ISC_STATUS * pStatus, isc_db_handle* pDb, isc_tr_handle* pTr, isc_blob_handle* pBlob, ISC_QUAD* pId,
                 ISC_USHORT pBpbLength, const ISC_UCHAR* pBpb),
                (pStatus, pDb, pTr, pBlob, pId, pBpbLength, pBpb))
VELMORA_FORWARD(isc_get_segment,
                (ISC_STATUS * pStatus, isc_blob_handle* pBlob, unsigned short* pLength, unsigned short pBufferLength,
                 ISC_SCHAR* pBuffer),
                (pStatus, pBlob, pLength, pBufferLength, pBuffer))
VELMORA_FORWARD(isc_close_blob, (ISC_STATUS * pStatus, isc_blob_handle* pBlob), (pStatus, pBlob))
VELMORA_FORWARD(fb_cancel_operation, (ISC_STATUS * pStatus, isc_db_handle* pDb, ISC_USHORT pOption),
                (pStatus, pDb, pOption))

#undef VELMORA_FORWARD

// The variadic form takes (database handle, TPB length, TPB) per database;
// the library's isc_start_multiple takes the same triples as an array.
extern "C" ISC_STATUS ISC_EXPORT isc_start_transaction(ISC_STATUS* pStatus, isc_tr_handle* pTr, short pCount, ...) {
  struct TTeb {
    isc_db_handle* vDb;
    int vTpbLength;
    const ISC_SCHAR* vTpb;
  };
  constexpr short cMaxDatabases = 16;
  if (pCount < 0 || pCount > cMaxDatabases) return data::FUnavailable(pStatus);
  TTeb vTebs[cMaxDatabases] = {};
  va_list vArgs;
  // The declaration in ibase.h fixes pCount as short; on this platform's
  // calling convention va_start does not depend on its type.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wvarargs"
  va_start(vArgs, pCount);
#pragma GCC diagnostic pop
  for (short i = 0; i < pCount; ++i) {
    vTebs[i].vDb = va_arg(vArgs, isc_db_handle*);
    vTebs[i].vTpbLength = va_arg(vArgs, int);
    vTebs[i].vTpb = va_arg(vArgs, const ISC_SCHAR*);
  }
  va_end(vArgs);
  return isc_start_multiple(pStatus, pTr, pCount, vTebs);
}

// Without a status vector: called only once a statement has run, so the
// library is loaded by then.
extern "C" ISC_LONG ISC_EXPORT isc_vax_integer(const ISC_SCHAR* pBuffer, short pLength) {
  using TFunction = ISC_LONG(ISC_EXPORT*)(const ISC_SCHAR*, short);
  static const TFunction vReal = data::FEntry<TFunction>("isc_vax_integer");
  return vReal == nullptr ? 0 : vReal(pBuffer, pLength);
}

extern "C" void ISC_EXPORT isc_decode_timestamp(const ISC_TIMESTAMP* pStamp, void* pTm) {
  using TFunction = void(ISC_EXPORT*)(const ISC_TIMESTAMP*, void*);
  static const TFunction vReal = data::FEntry<TFunction>("isc_decode_timestamp");
  if (vReal != nullptr) vReal(pStamp, pTm);
}

extern "C" ISC_LONG ISC_EXPORT fb_interpret(ISC_SCHAR* pBuffer, unsigned int pLength, const ISC_STATUS** pVector) {
  using TFunction = ISC_LONG(ISC_EXPORT*)(ISC_SCHAR*, unsigned int, const ISC_STATUS**);
  static const TFunction vReal = data::FEntry<TFunction>("fb_interpret");
  if (vReal != nullptr) return vReal(pBuffer, pLength, pVector);
  // No library: the status vector is our own "unavailable database".
  static const char cText[] = "Firebird client library libfbclient.so.2 could not be loaded";
  if (pVector == nullptr || *pVector == nullptr || (*pVector)[0] != isc_arg_gds || pLength <= sizeof cText) return 0;
  for (unsigned int i = 0; i < sizeof cText; ++i) pBuffer[i] = cText[i];
  *pVector += 3;
  return static_cast<ISC_LONG>(sizeof cText - 1);
}
