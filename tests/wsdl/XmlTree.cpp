#include "wsdl/XmlTree.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <cstring>
#include <memory>

namespace wsdltest {

namespace {

struct TDump {
  std::string vOut;
  std::string vText;
  int vDepth = 0;
  std::string vError;

  void PFlushText() {
    const std::size_t vFirst = vText.find_first_not_of(" \t\r\n");
    if (vFirst != std::string::npos) {
      const std::size_t vLast = vText.find_last_not_of(" \t\r\n");
      vOut.append(static_cast<std::size_t>(vDepth) * 2, ' ');
      vOut += "\"" + vText.substr(vFirst, vLast - vFirst + 1) + "\"\n";
    }
    vText.clear();
  }
};

// The first-generation SAX interface hands over the attributes exactly as
// written, namespace declarations among them, which the tree API does not.
void PStart(void* pCtx, const xmlChar* pName, const xmlChar** pAtts) {
  auto* vDump = static_cast<TDump*>(static_cast<xmlParserCtxtPtr>(pCtx)->_private);
  vDump->PFlushText();
  vDump->vOut.append(static_cast<std::size_t>(vDump->vDepth) * 2, ' ');
  vDump->vOut += reinterpret_cast<const char*>(pName);
  for (const xmlChar** a = pAtts; a != nullptr && a[0] != nullptr; a += 2) {
    vDump->vOut += std::string(" ") + reinterpret_cast<const char*>(a[0]) + "=\"" +
                   (a[1] ? reinterpret_cast<const char*>(a[1]) : "") + "\"";
  }
  vDump->vOut += "\n";
  ++vDump->vDepth;
}

void PEnd(void* pCtx, const xmlChar*) {
  auto* vDump = static_cast<TDump*>(static_cast<xmlParserCtxtPtr>(pCtx)->_private);
  vDump->PFlushText();
  --vDump->vDepth;
}

void PCharacters(void* pCtx, const xmlChar* pText, int pLength) {
  auto* vDump = static_cast<TDump*>(static_cast<xmlParserCtxtPtr>(pCtx)->_private);
  vDump->vText.append(reinterpret_cast<const char*>(pText), static_cast<std::size_t>(pLength));
}

void PIgnoreError(void*, const char*, ...) {}

void PCollectError(void* pUser, xmlErrorPtr pError) {
  auto* vWhy = static_cast<std::string*>(pUser);
  if (vWhy->empty() && pError != nullptr && pError->message != nullptr) *vWhy = pError->message;
}

}  // namespace

std::string FXmlTree(std::string_view pXml) {
  xmlSAXHandler vHandler;
  std::memset(&vHandler, 0, sizeof vHandler);
  vHandler.initialized = 1;  // not XML_SAX2_MAGIC: the first-generation callbacks
  vHandler.startElement = &PStart;
  vHandler.endElement = &PEnd;
  vHandler.characters = &PCharacters;
  vHandler.cdataBlock = &PCharacters;
  vHandler.error = &PIgnoreError;
  vHandler.warning = &PIgnoreError;
  TDump vDump;
  std::unique_ptr<xmlParserCtxt, decltype(&xmlFreeParserCtxt)> vCtx(
      xmlCreatePushParserCtxt(&vHandler, nullptr, nullptr, 0, nullptr), &xmlFreeParserCtxt);
  vCtx->_private = &vDump;
  xmlCtxtUseOptions(vCtx.get(), XML_PARSE_NONET);
  const int vRc = xmlParseChunk(vCtx.get(), pXml.data(), static_cast<int>(pXml.size()), 1);
  if (vRc != 0 || !vCtx->wellFormed) return "not well-formed: error " + std::to_string(vRc);
  return vDump.vOut;
}

bool FNamespaceWellFormed(std::string_view pXml, std::string& pWhy) {
  pWhy.clear();
  xmlSetStructuredErrorFunc(&pWhy, &PCollectError);
  xmlDocPtr vDoc = xmlReadMemory(pXml.data(), static_cast<int>(pXml.size()), "doc.xml", nullptr,
                                 XML_PARSE_NONET | XML_PARSE_PEDANTIC);
  xmlSetStructuredErrorFunc(nullptr, nullptr);
  if (vDoc == nullptr && pWhy.empty()) pWhy = "not parsed";
  if (vDoc != nullptr) xmlFreeDoc(vDoc);
  return pWhy.empty();
}

}  // namespace wsdltest
