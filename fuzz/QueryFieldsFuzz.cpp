// Query-field decoding: the input is the query text of a request for the
// service page.
//
// Rules checked: the text gives one field per "&"-separated piece up to the
// first bad escape (then the error is named and no field after it is kept);
// a decoded name never holds "="; and the service page built for the query
// is whole and never echoes the query's markup.
#include <algorithm>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "host/CGIRequest.h"
#include "host/ServiceInfoPage.h"
#include "port/MemEnv.h"
#include "soap/VelmoraIntf.h"
#include "soap/WSDLPublishIntf.h"
#include "tracelog/LogNFe.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static port::TMemEnv vLogEnv;
  tracelog::PSetLogEnv(vLogEnv);
  tracelog::PCriaLog("", "N");
  soap::PRegisterWSDLPublish();
  soap::PRegisterVelmoraIntf();
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

  port::TMemEnv vEnv;
  vEnv.vEnvironment = {{"REQUEST_METHOD", "GET"}, {"SERVER_NAME", "localhost"}, {"SERVER_PORT", "80"},
                       {"SCRIPT_NAME", "/velmora.cgi"}, {"PATH_INFO", "/"}, {"QUERY_STRING", vQuery}};
  const host::TCGIRequest vRequest(vEnv);
  const std::string vPage = host::FServiceInfoPage("velmora", vRequest);
  if (vPage.size() < 14 || vPage.compare(vPage.size() - 14, 14, "</body></html>") != 0)
    fuzz::PFail("the page ends with </body></html>", vPage);
  if (vQuery.find('<') != std::string::npos && vQuery.size() > 3 && vPage.find(vQuery) != std::string::npos)
    fuzz::PFail("the page never echoes the query", vPage);
  return 0;
}
