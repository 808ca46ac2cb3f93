#include "data/FbClientApi.h"

#include <dlfcn.h>

#include <mutex>

#include "data/FbClient.h"
#include "data/SQLConnection.h"

namespace data {

namespace {

template <typename TFunction>
void PBind(void* pLibrary, const std::string& pLibraryName, const char* pName, TFunction& pSlot) {
  void* vAddress = ::dlsym(pLibrary, pName);
  if (vAddress == nullptr)
    throw EDatabaseError("Firebird client library " + pLibraryName + " lacks the function " + pName);
  pSlot = reinterpret_cast<TFunction>(vAddress);
}

// Set once by FClientApi, read by PShutdownClient.
const TFbClientApi* vProcessApi = nullptr;

}  // namespace

std::unique_ptr<const TFbClientApi> FLoadClientApi(const std::string& pLibrary) {
  void* vLibrary = ::dlopen(pLibrary.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (vLibrary == nullptr) throw EDatabaseError("Firebird client library " + pLibrary + " could not be loaded");
  auto vApi = std::make_unique<TFbClientApi>();
  try {
#define VELMORA_BIND(pName) PBind(vLibrary, pLibrary, #pName, vApi->pName)
    VELMORA_BIND(isc_attach_database);
    VELMORA_BIND(isc_database_info);
    VELMORA_BIND(isc_detach_database);
    VELMORA_BIND(isc_start_multiple);
    VELMORA_BIND(isc_commit_transaction);
    VELMORA_BIND(isc_rollback_transaction);
    VELMORA_BIND(isc_dsql_allocate_statement);
    VELMORA_BIND(isc_dsql_prepare);
    VELMORA_BIND(isc_dsql_describe);
    VELMORA_BIND(isc_dsql_execute);
    VELMORA_BIND(isc_dsql_fetch);
    VELMORA_BIND(isc_dsql_free_statement);
    VELMORA_BIND(isc_open_blob2);
    VELMORA_BIND(isc_get_segment);
    VELMORA_BIND(isc_close_blob);
    VELMORA_BIND(fb_cancel_operation);
    VELMORA_BIND(fb_interpret);
    VELMORA_BIND(fb_shutdown);
#undef VELMORA_BIND
  } catch (...) {
    // Nothing of an incomplete library has run yet; it can go again.
    ::dlclose(vLibrary);
    throw;
  }
  return vApi;
}

const TFbClientApi& FClientApi() {
  static std::once_flag vOnce;
  static std::unique_ptr<const TFbClientApi> vApi;
  static std::string vError;
  std::call_once(vOnce, [] {
    try {
      vApi = FLoadClientApi(cFbClientLibrary);
      vProcessApi = vApi.get();
    } catch (const EDatabaseError& e) {
      vError = e.what();
    }
  });
  if (!vApi) throw EDatabaseError(vError);
  return *vApi;
}

namespace {
bool vEmbeddedAttach = false;  // set by PNoteEmbeddedAttach, read at the end
}  // namespace

bool FIsEmbeddedDatabase(const std::string& pDatabase) noexcept {
  if (pDatabase.find("://") != std::string::npos) return false;
  const std::size_t vColon = pDatabase.find(':');
  // A path of this system starts with "/"; what comes before a ":" that is
  // not part of such a path names a server.
  return vColon == std::string::npos || (!pDatabase.empty() && pDatabase.front() == '/');
}

void PNoteEmbeddedAttach() noexcept { vEmbeddedAttach = true; }

void PShutdownClient() noexcept {
  if (vProcessApi == nullptr || !vEmbeddedAttach) return;
  // No time limit of our own: every attachment is detached by now, so the
  // teardown has only the engine's own threads and files to finish.
  vProcessApi->fb_shutdown(0, fb_shutrsn_app_stopped);
}

}  // namespace data
