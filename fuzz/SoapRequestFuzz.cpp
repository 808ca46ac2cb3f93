// The whole SOAP path of one request: content type, SOAP action and content
// in (the first two NUL-separated fields and the rest of the input), answer
// out, with a plain database module so that no database is needed.
//
// Rules checked on every answer: the status is 200 or 500; a plain answer
// is a well-formed XML document (a client must be able to read every fault);
// a multipart answer carries its boundary.
#include <libxml/parser.h>

#include <cstdlib>
#include <string>

#include "data/uClassControle.h"
#include "data/uDMBancoDeDados.h"
#include "fuzz/FuzzSupport.h"
#include "fuzz/ServiceInMemory.h"
#include "port/MemEnv.h"
#include "soap/SoapHttpHandler.h"
#include "soap/VelmoraIntf.h"
#include "soap/WSDLPublishIntf.h"
#include "soap/XmlRuntime.h"
#include "tracelog/LogNFe.h"

namespace {

void PSilent(void*, const char*, ...) {}

bool FWellFormed(const std::string& pText) {
  xmlDocPtr vDoc = xmlReadMemory(pText.data(), static_cast<int>(pText.size()), nullptr, nullptr,
                                 XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  const bool vOk = vDoc != nullptr;
  xmlFreeDoc(vDoc);
  return vOk;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::PStartServiceInMemory();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t pSize) {
  const auto vFields = fuzz::FSplitFields(pData, pSize, 3);
  const soap::TSoapHttpAnswer vAnswer = soap::FHandleSoapRequest("/soap/IVelmora", vFields[0], vFields[2], vFields[1]);
  if (vAnswer.vStatusCode != 200 && vAnswer.vStatusCode != 500) fuzz::PFail("status 200 or 500", vAnswer.vBody);
  if (vAnswer.vContentVersion.empty()) {
    if (vAnswer.vContentType != "text/xml") fuzz::PFail("content type text/xml", vAnswer.vContentType);
    xmlSetGenericErrorFunc(nullptr, PSilent);
    if (!FWellFormed(vAnswer.vBody)) fuzz::PFail("the answer is well-formed XML", vAnswer.vBody);
  } else if (vAnswer.vContentType.rfind("multipart/related; boundary=", 0) != 0) {
    fuzz::PFail("a multipart answer names its boundary", vAnswer.vContentType);
  }
  return 0;
}
