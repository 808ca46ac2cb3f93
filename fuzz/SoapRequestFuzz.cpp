// The whole SOAP path of one request: content type, SOAP action and content
// in (the first two NUL-separated fields and the rest of the input), answer
// out, through the whole process run in memory (start-up, request cycle,
// shutdown). There is no configuration file, so no call reaches a database.
//
// Rules checked on every answer: the status is 200 or 500; a plain answer
// is a well-formed XML document (a client must be able to read every fault);
// a multipart answer carries its boundary.
#include <libxml/parser.h>

#include <cstdlib>
#include <string>

#include "app/VelmoraProcess.h"
#include "fuzz/FuzzSupport.h"
#include "port/MemEnv.h"

namespace {

void PSilent(void*, const char*, ...) {}

bool FWellFormed(const std::string& pText) {
  xmlDocPtr vDoc = xmlReadMemory(pText.data(), static_cast<int>(pText.size()), nullptr, nullptr,
                                 XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  const bool vOk = vDoc != nullptr;
  xmlFreeDoc(vDoc);
  return vOk;
}


// The value of header line pName in a header block ("" when absent).
std::string FHeader(const std::string& pHead, const std::string& pName) {
  const std::size_t vAt = pHead.find("\r\n" + pName + ": ");
  if (vAt == std::string::npos) return {};
  const std::size_t vStart = vAt + 4 + pName.size();
  return pHead.substr(vStart, pHead.find("\r\n", vStart) - vStart);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t pSize) {
  const auto vFields = fuzz::FSplitFields(pData, pSize, 3);
  port::TMemEnv vEnv;
  vEnv.vExePath = "/opt/velmora/velmora.cgi";
  vEnv.vSymbolize = false;  // every failed data operation lists its stack
  vEnv.vEnvironment = {{"REQUEST_METHOD", "POST"},
                       {"SERVER_PROTOCOL", "HTTP/1.1"},
                       {"PATH_INFO", "/soap/IVelmora"},
                       {"CONTENT_TYPE", std::string(vFields[0])},
                       {"HTTP_SOAPACTION", std::string(vFields[1])},
                       {"CONTENT_LENGTH", std::to_string(vFields[2].size())}};
  vEnv.vStdin = std::string(vFields[2]);
  if (app::FRunProcess(vEnv) != 0) fuzz::PFail("the process ends with 0", vEnv.vStderr);

  const std::string& vOut = vEnv.vStdout;
  const std::size_t vHeadEnd = vOut.find("\r\n\r\n");
  if (vOut.rfind("Status: ", 0) != 0 || vHeadEnd == std::string::npos) fuzz::PFail("a header block", vOut);
  const std::string vHead = vOut.substr(0, vHeadEnd + 2);
  const std::string vBody = vOut.substr(vHeadEnd + 4);
  const std::string vStatus = vHead.substr(8, 3);
  if (vStatus != "200" && vStatus != "500") fuzz::PFail("status 200 or 500", vOut);
  const std::string vType = FHeader(vHead, "Content-Type");
  if (FHeader(vHead, "Content-Version").empty()) {
    if (vType != "text/xml") fuzz::PFail("content type text/xml", vType);
    xmlSetGenericErrorFunc(nullptr, PSilent);
    if (!FWellFormed(vBody)) fuzz::PFail("the answer is well-formed XML", vBody);
  } else if (vType.rfind("multipart/related; boundary=", 0) != 0) {
    fuzz::PFail("a multipart answer names its boundary", vType);
  }
  return 0;
}
