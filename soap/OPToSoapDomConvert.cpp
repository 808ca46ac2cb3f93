#include "soap/OPToSoapDomConvert.h"

#include <libxml/encoding.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <map>
#include <optional>
#include <memory>
#include <string>

#include "port/Text.h"
#include "soap/CodePage.h"
#include "soap/SoapException.h"

namespace soap {

namespace {

constexpr const char* cInvalidRequest = "Invalid SOAP request";
constexpr const char* cMultipleBodies = "Multiple body elements not supported";
constexpr const char* cNoBody = "Invalid SOAP request: the envelope has no Body";
constexpr const char* cEmptyBody = "Invalid SOAP request: the Body names no operation";
constexpr const char* cDoctype = "Invalid SOAP request: a document type declaration is not allowed";
constexpr const char* cTooManyAttributes = "Invalid SOAP request: too many attributes on one element";

// A SOAP envelope of this service is a few levels deep with a few attributes
// per element; libxml2 itself stops at 256 levels, and attributes per start
// tag are bounded here (see FTooManyAttributes).
constexpr int cMaxAttributes = 256;
// libxml2 2.9 has no switch against external entities; the refusing loader
// and the refused DOCTYPE already keep them out.
constexpr int cParseOptions = XML_PARSE_NONET;

struct TDocFree {
  void operator()(xmlDoc* p) const { xmlFreeDoc(p); }
};
struct TCtxtFree {
  void operator()(xmlParserCtxt* p) const { xmlFreeParserCtxt(p); }
};
struct TXmlFree {
  void operator()(xmlChar* p) const { xmlFree(p); }
};
using TDocPtr = std::unique_ptr<xmlDoc, TDocFree>;
using TXmlString = std::unique_ptr<xmlChar, TXmlFree>;

// What the parser reported, collected through the context's handlers.
struct TParseState {
  bool vHasError = false;
  std::string vReason;
  int vLine = 0;
  bool vDoctype = false;
  // The character encoding the parser was reading in when it met the
  // error; empty while it read UTF-8, its own default.
  std::string vEncoding;
};

TParseState& FState(void* pContext) {
  return *static_cast<TParseState*>(static_cast<xmlParserCtxt*>(pContext)->_private);
}

void PStructuredError(void* pContext, xmlErrorPtr pError) {
  if (pContext == nullptr || pError == nullptr || pError->level < XML_ERR_ERROR) return;
  TParseState& vState = FState(pContext);
  if (vState.vHasError) return;  // the first error is the reason
  vState.vHasError = true;
  vState.vReason = pError->message != nullptr ? pError->message : "XML parse error";
  while (!vState.vReason.empty() && (vState.vReason.back() == '\n' || vState.vReason.back() == ' '))
    vState.vReason.pop_back();
  vState.vLine = pError->line;
  const auto* vContext = static_cast<const xmlParserCtxt*>(pContext);
  if (vContext->input != nullptr && vContext->input->buf != nullptr && vContext->input->buf->encoder != nullptr &&
      vContext->input->buf->encoder->name != nullptr)
    vState.vEncoding = vContext->input->buf->encoder->name;
}

// SOAP 1.1 forbids a DTD in a message; stopping here means no declaration of
// it (entities included) is ever processed.
void PInternalSubset(void* pContext, const xmlChar*, const xmlChar*, const xmlChar*) {
  FState(pContext).vDoctype = true;
  xmlStopParser(static_cast<xmlParserCtxt*>(pContext));
}

// libxml2 checks the attributes of a start tag for duplicates pairwise, so
// an element with tens of thousands of attributes takes seconds. This
// linear scan counts the attributes of every start tag before the parser
// sees the text; skipping comments, CDATA, declarations and processing
// instructions only needs to be good enough to bound the count.
bool FTooManyAttributes(std::string_view pText) {
  std::size_t i = 0;
  const auto vSkipPast = [&](std::string_view pEnd) {
    const std::size_t vEnd = pText.find(pEnd, i);
    i = vEnd == std::string_view::npos ? pText.size() : vEnd + pEnd.size();
  };
  while (i < pText.size()) {
    if (pText[i] != '<') {
      ++i;
      continue;
    }
    const std::string_view vRest = pText.substr(i);
    if (vRest.substr(0, 4) == "<!--") {
      vSkipPast("-->");
    } else if (vRest.substr(0, 9) == "<![CDATA[") {
      vSkipPast("]]>");
    } else if (vRest.substr(0, 2) == "<?") {
      vSkipPast("?>");
    } else if (vRest.substr(0, 2) == "<!" || vRest.substr(0, 2) == "</") {
      vSkipPast(">");
    } else {
      int vCount = 0;
      char vQuote = 0;
      for (++i; i < pText.size(); ++i) {
        const char c = pText[i];
        if (vQuote != 0) {
          if (c == vQuote) vQuote = 0;
        } else if (c == '"' || c == '\'') {
          vQuote = c;
        } else if (c == '=') {
          if (++vCount > cMaxAttributes) return true;
        } else if (c == '>' || c == '<') {
          break;
        }
      }
    }
  }
  return false;
}

xmlParserInputPtr FRefuseEntity(const char*, const char*, xmlParserCtxtPtr) { return nullptr; }
void PSilentGeneric(void*, const char*, ...) {}
void PSilentStructured(void*, xmlErrorPtr) {}

// Installs the refusing entity loader and silent global error handlers for
// the duration of one parse.
class TParseGuard {
 public:
  TParseGuard()
      : vLoader(xmlGetExternalEntityLoader()),
        vGeneric(xmlGenericError),
        vGenericContext(xmlGenericErrorContext),
        vStructured(xmlStructuredError),
        vStructuredContext(xmlStructuredErrorContext) {
    xmlSetExternalEntityLoader(FRefuseEntity);
    xmlSetGenericErrorFunc(nullptr, PSilentGeneric);
    xmlSetStructuredErrorFunc(nullptr, PSilentStructured);
  }
  ~TParseGuard() {
    xmlSetExternalEntityLoader(vLoader);
    xmlSetGenericErrorFunc(vGenericContext, vGeneric);
    xmlSetStructuredErrorFunc(vStructuredContext, vStructured);
  }
  TParseGuard(const TParseGuard&) = delete;
  TParseGuard& operator=(const TParseGuard&) = delete;

 private:
  xmlExternalEntityLoader vLoader;
  xmlGenericErrorFunc vGeneric;
  void* vGenericContext;
  xmlStructuredErrorFunc vStructured;
  void* vStructuredContext;
};

// The first 40 characters of line pLine (1-based) of the request text.
std::string FLineExcerpt(std::string_view pText, int pLine) {
  std::size_t vStart = 0;
  for (int i = 1; i < pLine && vStart != std::string_view::npos; ++i) {
    vStart = pText.find('\n', vStart);
    if (vStart != std::string_view::npos) ++vStart;
  }
  if (vStart == std::string_view::npos || vStart > pText.size()) return {};
  std::string_view vLine = pText.substr(vStart);
  vLine = vLine.substr(0, vLine.find('\n'));
  if (!vLine.empty() && vLine.back() == '\r') vLine.remove_suffix(1);
  std::size_t vPos = 0;
  for (int vCount = 0; vCount < 40 && vPos < vLine.size(); ++vCount) (void)FNextUtf8(vLine, vPos);
  return FUtf8ToAnsi(vLine.substr(0, vPos));
}

struct TEncodingClose {
  void operator()(xmlCharEncodingHandler* p) const { xmlCharEncCloseFunc(p); }
};
struct TBufferFree {
  void operator()(xmlBuffer* p) const { xmlBufferFree(p); }
};

// The request text up to the end of line pLine, decoded to UTF-8 from the
// encoding the parser read it in, with a fresh converter of that encoding
// (a converter keeps state). A byte the encoding cannot decode becomes "?"
// and decoding goes on after it. Nothing when libxml2 does not know the
// encoding after all.
std::optional<std::string> FDecodedLines(std::string_view pText, const std::string& pEncoding, int pLine) {
  std::unique_ptr<xmlCharEncodingHandler, TEncodingClose> vHandler(xmlFindCharEncodingHandler(pEncoding.c_str()));
  std::unique_ptr<xmlBuffer, TBufferFree> vIn(xmlBufferCreate()), vOut(xmlBufferCreate());
  if (!vHandler || !vIn || !vOut) return std::nullopt;
  // Small pieces keep the cost of skipping one undecodable byte small.
  constexpr int cPiece = 256;
  // A sequence this long that still decodes to nothing is no partial
  // character waiting for its rest but a fault.
  constexpr int cLongestPartial = 16;
  // Enough of the faulty line for its 40 characters, whatever they are.
  constexpr std::size_t cLineBytes = 4 * 40;
  std::string vResult;
  int vLines = 0;              // line breaks decoded so far
  std::size_t vLineStart = 0;  // where the line being decoded starts in vResult
  std::size_t vPos = 0;
  while (vLines < pLine && !(vLines == pLine - 1 && vResult.size() - vLineStart > cLineBytes)) {
    if (vPos < pText.size() && xmlBufferLength(vIn.get()) < cPiece) {
      const std::size_t vCount = std::min(static_cast<std::size_t>(cPiece), pText.size() - vPos);
      if (xmlBufferAdd(vIn.get(), reinterpret_cast<const xmlChar*>(pText.data() + vPos), static_cast<int>(vCount)) != 0)
        break;
      vPos += vCount;
    }
    const int vBefore = xmlBufferLength(vIn.get());
    if (vBefore == 0) break;
    (void)xmlCharEncInFunc(vHandler.get(), vOut.get(), vIn.get());
    const std::string_view vDecoded(reinterpret_cast<const char*>(xmlBufferContent(vOut.get())),
                                    static_cast<std::size_t>(xmlBufferLength(vOut.get())));
    vLines += static_cast<int>(std::count(vDecoded.begin(), vDecoded.end(), '\n'));
    if (const std::size_t vBreak = vDecoded.rfind('\n'); vBreak != std::string_view::npos)
      vLineStart = vResult.size() + vBreak + 1;
    vResult += vDecoded;
    xmlBufferEmpty(vOut.get());
    const int vAfter = xmlBufferLength(vIn.get());
    if (vAfter == vBefore && (vPos == pText.size() || vAfter >= cLongestPartial)) {
      vResult += '?';
      xmlBufferShrink(vIn.get(), 1);
    }
  }
  return vResult;
}

[[noreturn]] void PThrowMalformed(std::string_view pText, const TParseState& pState) {
  const std::string vReason = pState.vHasError ? pState.vReason : "Document is not well-formed";
  const int vLine = pState.vLine > 0 ? pState.vLine : 1;
  // The line is quoted in the envelope's own encoding, like every other
  // text of it: decoded as the parser decoded it, then narrowed to the
  // code page.
  std::optional<std::string> vDecoded;
  if (!pState.vEncoding.empty()) vDecoded = FDecodedLines(pText, pState.vEncoding, vLine);
  throw ESOAPDomConvertError(FUtf8ToAnsi(vReason) + "\r\nLine: " + std::to_string(vLine) + "\r\n" +
                             FLineExcerpt(vDecoded ? *vDecoded : pText, vLine));
}

TDocPtr FParse(std::string_view pText) {
  TParseState vState;
  if (pText.empty()) {
    vState.vHasError = true;
    vState.vReason = "Document is empty";
    PThrowMalformed(pText, vState);
  }
  if (pText.size() > static_cast<std::size_t>(INT32_MAX)) throw ESOAPDomConvertError(cInvalidRequest);
  if (FTooManyAttributes(pText)) throw ESOAPDomConvertError(cTooManyAttributes);
  TParseGuard vGuard;
  std::unique_ptr<xmlParserCtxt, TCtxtFree> vContext(xmlNewParserCtxt());
  if (!vContext) throw std::bad_alloc();
  vContext->_private = &vState;
  vContext->sax->serror = PStructuredError;
  vContext->sax->error = nullptr;
  vContext->sax->warning = nullptr;
  vContext->sax->internalSubset = PInternalSubset;
  vContext->vctxt.error = nullptr;
  vContext->vctxt.warning = nullptr;
  TDocPtr vDoc(xmlCtxtReadMemory(vContext.get(), pText.data(), static_cast<int>(pText.size()), nullptr, nullptr,
                                 cParseOptions));
  if (vState.vDoctype) throw ESOAPDomConvertError(cDoctype);
  if (!vDoc || vState.vHasError || !vContext->wellFormed) PThrowMalformed(pText, vState);
  return vDoc;
}

// --- DOM access ----------------------------------------------------------

std::string_view FLocalName(const xmlNode* pNode) { return reinterpret_cast<const char*>(pNode->name); }

std::string_view FNamespace(const xmlNode* pNode) {
  return pNode->ns != nullptr && pNode->ns->href != nullptr ? reinterpret_cast<const char*>(pNode->ns->href) : "";
}

const xmlChar* FX(const char* p) { return reinterpret_cast<const xmlChar*>(p); }

// Attribute value; nullopt when absent. pNamespace nullptr: no namespace.
std::optional<std::string> FAttribute(const xmlNode* pNode, const char* pName, const char* pNamespace) {
  xmlNode* vNode = const_cast<xmlNode*>(pNode);
  TXmlString vValue(pNamespace != nullptr ? xmlGetNsProp(vNode, FX(pName), FX(pNamespace))
                                          : xmlGetNoNsProp(vNode, FX(pName)));
  if (!vValue) return std::nullopt;
  return std::string(reinterpret_cast<const char*>(vValue.get()));
}

bool FIsTrue(const std::optional<std::string>& pValue) {
  return pValue && (*pValue == "1" || port::FSameTextNoCase(*pValue, "true"));
}

const xmlNode* FFirstElement(const xmlNode* pNode) {
  for (const xmlNode* c = pNode->children; c != nullptr; c = c->next) {
    if (c->type == XML_ELEMENT_NODE) return c;
  }
  return nullptr;
}

using TIdIndex = std::map<std::string, const xmlNode*>;

TIdIndex FIndexIds(const xmlNode* pRoot) {
  TIdIndex vIndex;
  // Iterative walk: no recursion however the document nests.
  const xmlNode* vNode = pRoot;
  while (vNode != nullptr) {
    if (vNode->type == XML_ELEMENT_NODE) {
      if (auto vId = FAttribute(vNode, "id", nullptr)) vIndex.emplace("#" + *vId, vNode);
      if (vNode->children != nullptr) {
        vNode = vNode->children;
        continue;
      }
    }
    while (vNode != nullptr && vNode != pRoot && vNode->next == nullptr) vNode = vNode->parent;
    if (vNode == nullptr || vNode == pRoot) break;
    vNode = vNode->next;
  }
  return vIndex;
}

void PCheckEncodingStyle(const xmlNode* pNode) {
  if (auto vStyle = FAttribute(pNode, "encodingStyle", cSoapEnvelopeNs); vStyle && *vStyle != cSoapEncodingNs)
    throw ESOAPDomConvertError(port::FFormat("Unsupported SOAP encodingStyle %s", {FUtf8ToAnsi(*vStyle)}));
}

class TDecoder {
 public:
  explicit TDecoder(TIdIndex pIndex) : vIndex(std::move(pIndex)) {}

  // One hop: the element an href names stands in for this one; the target's
  // own href is not followed, so references can never loop.
  const xmlNode* FResolve(const xmlNode* pNode) const {
    if (auto vHref = FAttribute(pNode, "href", nullptr); vHref && !vHref->empty()) {
      if (auto it = vIndex.find(*vHref); it != vIndex.end()) return it->second;
    }
    return pNode;
  }

  static bool FIsNull(const xmlNode* pNode) {
    if (FIsTrue(FAttribute(pNode, "nil", cXsiNs2001)) || FIsTrue(FAttribute(pNode, "NULL", cXsiNs2001))) return true;
    return pNode->children == nullptr && !FAttribute(pNode, "href", nullptr);
  }

  // The text of one text or CDATA child, else the markup of all children.
  static std::string FText(const xmlNode* pNode) {
    const xmlNode* vChild = pNode->children;
    if (vChild != nullptr && vChild->next == nullptr &&
        (vChild->type == XML_TEXT_NODE || vChild->type == XML_CDATA_SECTION_NODE)) {
      return vChild->content != nullptr ? reinterpret_cast<const char*>(vChild->content) : "";
    }
    std::unique_ptr<xmlBuffer, decltype(&xmlBufferFree)> vBuffer(xmlBufferCreate(), xmlBufferFree);
    if (!vBuffer) throw std::bad_alloc();
    for (const xmlNode* c = pNode->children; c != nullptr; c = c->next)
      xmlNodeDump(vBuffer.get(), pNode->doc, const_cast<xmlNode*>(c), 0, 0);
    return std::string(reinterpret_cast<const char*>(xmlBufferContent(vBuffer.get())),
                       static_cast<std::size_t>(xmlBufferLength(vBuffer.get())));
  }

  static std::string FStringValue(const TTypeInfo* pType, std::string pUtf8) {
    return pType != nullptr && pType->vValueKind == TValueKind::AnsiString ? FUtf8ToAnsi(pUtf8) : pUtf8;
  }

  TSoapValue FDecodeParameter(const TTypeInfo& pType, const xmlNode* pNode) const {
    TSoapValue vValue;
    switch (pType.vValueKind) {
      case TValueKind::Object:
        if (!FIsNull(pNode)) vValue.vObject = FDecodeObject(pType, FResolve(pNode));
        break;
      case TValueKind::AnsiString:
      case TValueKind::WideString:
      case TValueKind::Boolean: {
        const xmlNode* vNode = FResolve(pNode);
        if (!FIsNull(vNode)) {
          vValue.vText = FStringValue(&pType, FText(vNode));
          vValue.vBoolean = vValue.vText == "1" || port::FSameTextNoCase(vValue.vText, "true");
        }
        break;
      }
      case TValueKind::WideStringArray:
      case TValueKind::Other:
        throw ESOAPDomConvertError("Parameter type " + pType.vTypeName + " cannot be read from a request");
    }
    return vValue;
  }

 private:
  // The registered class an xsi:type names, when it derives from pDeclared.
  static const TTypeInfo& FActualType(const TTypeInfo& pDeclared, const xmlNode* pNode) {
    std::optional<std::string> vType = FAttribute(pNode, "type", cXsiNs2001);
    for (const char* vNs : {cXsiNs1999, cXsiNs2000}) {
      if (!vType) vType = FAttribute(pNode, "type", vNs);
    }
    if (!vType) return pDeclared;
    const std::size_t vColon = vType->find(':');
    const std::string vPrefix = vColon == std::string::npos ? "" : vType->substr(0, vColon);
    const std::string vLocal = vColon == std::string::npos ? *vType : vType->substr(vColon + 1);
    const xmlNs* vNs = xmlSearchNs(pNode->doc, const_cast<xmlNode*>(pNode), vPrefix.empty() ? nullptr : FX(vPrefix.c_str()));
    const std::string vUri = vNs != nullptr && vNs->href != nullptr ? reinterpret_cast<const char*>(vNs->href) : "";
    const TTypeInfo* vFound = FRemClassRegistry().FFindXml(vUri, vLocal);
    if (vFound != nullptr && vFound->vCreate && FRemClassRegistry().FInheritsFrom(vFound->vTypeName, pDeclared.vTypeName))
      return *vFound;
    return pDeclared;
  }

  TObjectPtr FDecodeObject(const TTypeInfo& pDeclared, const xmlNode* pNode) const {
    const TTypeInfo& vType = FActualType(pDeclared, pNode);
    if (!vType.vCreate) throw ESOAPDomConvertError("No class registered for type " + vType.vTypeName);
    TObjectPtr vObject = vType.vCreate();
    std::vector<const xmlNode*> vTaken;
    for (const TPropertyInfo& vProperty : vType.vProperties) {
      const xmlNode* vElement = nullptr;
      for (const xmlNode* c = pNode->children; c != nullptr && vElement == nullptr; c = c->next) {
        if (c->type == XML_ELEMENT_NODE && FLocalName(c) == vProperty.vName &&
            std::find(vTaken.begin(), vTaken.end(), c) == vTaken.end())
          vElement = c;
      }
      if (vElement == nullptr) continue;  // keeps the constructor's value
      vTaken.push_back(vElement);
      const xmlNode* vValueNode = FResolve(vElement);
      TSoapValue vValue;
      if (!FIsNull(vValueNode))
        vValue.vText = FStringValue(FRemClassRegistry().FFind(vProperty.vTypeName), FText(vValueNode));
      vProperty.vSet(vObject.get(), vValue);
    }
    return vObject;
  }

  TIdIndex vIndex;
};

}  // namespace

TSoapRequest FReadSoapRequest(const TIntfEntry& pEntry, std::string_view pEnvelope) {
  TDocPtr vDoc = FParse(pEnvelope);
  const xmlNode* vRoot = xmlDocGetRootElement(vDoc.get());
  if (vRoot == nullptr || FLocalName(vRoot) != "Envelope" || FNamespace(vRoot) != cSoapEnvelopeNs ||
      vRoot->children == nullptr)
    throw ESOAPDomConvertError(cInvalidRequest);

  const TDecoder vDecoder(FIndexIds(vRoot));
  TSoapRequest vRequest;
  bool vBodySeen = false;
  for (const xmlNode* vChild = vRoot->children; vChild != nullptr; vChild = vChild->next) {
    if (vChild->type != XML_ELEMENT_NODE) continue;
    if (FLocalName(vChild) == "Header") {
      // No header type is registered: an entry only matters when it demands
      // to be understood, through the unprefixed attribute.
      for (const xmlNode* vEntry = vChild->children; vEntry != nullptr; vEntry = vEntry->next) {
        if (vEntry->type == XML_ELEMENT_NODE && FIsTrue(FAttribute(vEntry, "mustUnderstand", nullptr)))
          throw EMustUnderstandError(
              port::FFormat("Soap header %s with attribute 'mustUnderstand' set to true was not handled",
                            {FUtf8ToAnsi(FLocalName(vEntry))}));
      }
    } else if (FLocalName(vChild) == "Body") {
      if (vBodySeen) throw ESOAPDomConvertError(cMultipleBodies);
      vBodySeen = true;
      PCheckEncodingStyle(vRoot);
      const xmlNode* vOperation = FFirstElement(vChild);
      if (vOperation == nullptr) throw ESOAPDomConvertError(cEmptyBody);
      PCheckEncodingStyle(vOperation);
      vRequest.vMethod = pEntry.FFindMethod(FLocalName(vOperation));
      if (vRequest.vMethod == nullptr)
        throw ESOAPDomConvertError(port::FFormat("No method named '%s' is supported by interface '%s'",
                                                 {FUtf8ToAnsi(FLocalName(vOperation)), pEntry.vName}));
      for (const TParamInfo& vParam : vRequest.vMethod->vParams) {
        const TTypeInfo* vType = FRemClassRegistry().FFind(vParam.vTypeName);
        if (vType == nullptr) throw ESOAPDomConvertError("Parameter type " + vParam.vTypeName + " is not registered");
        const xmlNode* vElement = nullptr;
        for (const xmlNode* c = vOperation->children; c != nullptr && vElement == nullptr; c = c->next) {
          if (c->type == XML_ELEMENT_NODE && port::FSameTextNoCase(FLocalName(c), vParam.vName)) vElement = c;
        }
        if (vElement == nullptr) {
          vRequest.vArgs.emplace_back();  // no object, empty text
          continue;
        }
        PCheckEncodingStyle(vElement);
        vRequest.vArgs.push_back(vDecoder.FDecodeParameter(*vType, vElement));
      }
    }
  }
  if (!vBodySeen) throw ESOAPDomConvertError(cNoBody);
  return vRequest;
}

}  // namespace soap
