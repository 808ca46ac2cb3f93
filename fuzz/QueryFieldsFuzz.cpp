// Query-field decoding: the input is the query text of a request for the
// service page.
//
// Rules checked: the text gives one field per "&"-separated piece up to the
// first bad escape (then the error is named and no field after it is kept);
// a decoded name never holds "="; and the service page built for the query
// is one of the six pages the query can select (an interface or the list,
// with or without the types table), so nothing of the query reaches it.
#include <algorithm>
#include <set>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "host/CGIRequest.h"
#include "host/ServiceInfoPage.h"
#include "port/MemEnv.h"
#include "soap/VelmoraIntf.h"
#include "soap/WSDLPublishIntf.h"
#include "tracelog/LogNFe.h"

namespace {

std::string FPageFor(const std::string& pQuery) {
  port::TMemEnv vEnv;
  vEnv.vEnvironment = {{"REQUEST_METHOD", "GET"}, {"SERVER_NAME", "localhost"}, {"SERVER_PORT", "80"},
                       {"SCRIPT_NAME", "/velmora.cgi"}, {"PATH_INFO", "/"}, {"QUERY_STRING", pQuery}};
  const host::TCGIRequest vRequest(vEnv);
  return host::FServiceInfoPage("velmora", vRequest);
}

std::set<std::string>& FSelectablePages() {
  static std::set<std::string> vPages;
  return vPages;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The registries of a process, kept for the whole run; no log slot, so
  // the log writes nothing.
  static soap::TRegistries vRegistries;
  soap::PRegisterWSDLPublish();
  soap::PRegisterVelmoraIntf();
  for (const char* vIntf : {"", "IVelmora", "IWSDLPublish"}) {
    for (const char* vTypes : {"0", "1"}) {
      FSelectablePages().insert(FPageFor(std::string("intf=") + vIntf + "&types=" + vTypes));
    }
  }
  if (FSelectablePages().size() != 6) fuzz::PFail("six selectable pages", "");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t pSize) {
  const std::string vQuery(reinterpret_cast<const char*>(pData), pSize);

  const host::TQueryFields vFields = host::FDecodeQueryFields(vQuery);
  const std::size_t vPieces = vQuery.empty() ? 0 : 1 + static_cast<std::size_t>(std::count(vQuery.begin(), vQuery.end(), '&'));
  if (vFields.vError.empty() ? vFields.vFields.size() != vPieces : vFields.vFields.size() >= vPieces)
    fuzz::PFail("one field per piece up to the first bad escape", vQuery);
  for (const auto& [vName, vValue] : vFields.vFields) {
    if (vName.find('=') != std::string::npos) fuzz::PFail("a decoded name holds no \"=\"", vName);
  }

  const std::string vPage = FPageFor(vQuery);
  if (FSelectablePages().count(vPage) == 0) fuzz::PFail("the page is one the query can select", vPage);
  return 0;
}
