// The Firebird client library as a table of function pointers, loaded once
// per process with dlopen on the first attach.
//
// Most requests (the liveness check, the WSDL, the service pages, a fault
// raised before any data operation) never attach, so the executable is not
// linked with the client library: it is neither mapped nor initialised at
// start-up. Every client call of the data layer goes through FClientApi();
// a plain isc_* call does not link, so none can bypass the table.
//
// Internal to data/: included by the data layer's .cpp files and its tests
// only, the one header besides them that brings in the client's types.
#pragma once

#include <ibase.h>

#include <memory>
#include <string>

namespace data {

// The client functions the data layer calls, under the library's names.
struct TFbClientApi {
  decltype(&::isc_attach_database) isc_attach_database = nullptr;
  decltype(&::isc_database_info) isc_database_info = nullptr;
  decltype(&::isc_detach_database) isc_detach_database = nullptr;
  decltype(&::isc_start_multiple) isc_start_multiple = nullptr;
  decltype(&::isc_commit_transaction) isc_commit_transaction = nullptr;
  decltype(&::isc_rollback_transaction) isc_rollback_transaction = nullptr;
  decltype(&::isc_dsql_allocate_statement) isc_dsql_allocate_statement = nullptr;
  decltype(&::isc_dsql_prepare) isc_dsql_prepare = nullptr;
  decltype(&::isc_dsql_describe) isc_dsql_describe = nullptr;
  decltype(&::isc_dsql_execute) isc_dsql_execute = nullptr;
  decltype(&::isc_dsql_fetch) isc_dsql_fetch = nullptr;
  decltype(&::isc_dsql_free_statement) isc_dsql_free_statement = nullptr;
  decltype(&::isc_open_blob2) isc_open_blob2 = nullptr;
  decltype(&::isc_get_segment) isc_get_segment = nullptr;
  decltype(&::isc_close_blob) isc_close_blob = nullptr;
  decltype(&::fb_cancel_operation) fb_cancel_operation = nullptr;
  decltype(&::fb_interpret) fb_interpret = nullptr;
  decltype(&::fb_shutdown) fb_shutdown = nullptr;
};

// The library the process uses.
inline constexpr const char* cFbClientLibrary = "libfbclient.so.2";

// Opens pLibrary and looks up every function of the table. Raises
// EDatabaseError when the library cannot be opened or lacks a function,
// naming it. The library stays loaded for the life of the process (the
// client library does not support being unloaded).
[[nodiscard]] std::unique_ptr<const TFbClientApi> FLoadClientApi(const std::string& pLibrary);

// The process's table, loaded from cFbClientLibrary on first use; a failed
// load raises the same EDatabaseError on every call.
[[nodiscard]] const TFbClientApi& FClientApi();

}  // namespace data
