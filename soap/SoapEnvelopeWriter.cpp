#include "soap/SoapEnvelopeWriter.h"

#include <stdexcept>

#include "soap/CodePage.h"
#include "soap/XmlTextWriter.h"

namespace soap {

namespace {

constexpr std::string_view cDeclaration = "<?xml version=\"1.0\"?>";

std::string FAttr(std::string_view pName, std::string_view pUtf8Value) {
  return " " + std::string(pName) + "=\"" + FXmlEscape(pUtf8Value, TXmlEscape::Attribute) + "\"";
}

// The same for every answer: built once.
const std::string& FEnvelopeOpen() {
  static const std::string vOpen = std::string(cDeclaration) + "<SOAP-ENV:Envelope" +
                                   FAttr("xmlns:SOAP-ENV", cSoapEnvelopeNs) + FAttr("xmlns:xsd", cXsdNs2001) +
                                   FAttr("xmlns:xsi", cXsiNs2001) + FAttr("xmlns:SOAP-ENC", cSoapEncodingNs) + ">";
  return vOpen;
}

constexpr std::string_view cEnvelopeClose = "</SOAP-ENV:Envelope>";

// An element with text content; empty text gives an empty-element tag.
std::string FTextElement(std::string_view pName, std::string_view pAttributes, std::string_view pUtf8Text) {
  std::string vOut = "<" + std::string(pName) + std::string(pAttributes);
  if (pUtf8Text.empty()) return vOut + "/>";
  return vOut + ">" + FXmlEscape(pUtf8Text, TXmlEscape::Text) + "</" + std::string(pName) + ">";
}

std::string FReturnElement(const TTypeInfo* pType, const TSoapValue& pResult) {
  const TValueKind vKind = pType != nullptr ? pType->vValueKind : TValueKind::Other;
  switch (vKind) {
    case TValueKind::AnsiString:
      return FTextElement("return", FAttr("xsi:type", "xsd:string"), FAnsiToUtf8(pResult.vText));
    case TValueKind::WideString:
      return FTextElement("return", FAttr("xsi:type", "xsd:string"), pResult.vText);
    case TValueKind::Boolean:
      return FTextElement("return", FAttr("xsi:type", "xsd:boolean"), pResult.vBoolean ? "true" : "false");
    case TValueKind::WideStringArray: {
      std::string vOut = "<return" + FAttr("xsi:type", "SOAP-ENC:Array") +
                         FAttr("SOAP-ENC:arrayType", "xsd:string[" + std::to_string(pResult.vList.size()) + "]");
      if (pResult.vList.empty()) return vOut + "/>";
      vOut += ">";
      for (const auto& vItem : pResult.vList) vOut += FTextElement("item", "", vItem);
      return vOut + "</return>";
    }
    case TValueKind::Object:
    case TValueKind::Other:
      break;
  }
  // No result of this system is an object; a registration that declares one
  // is a programming error the caller reports as a fault.
  throw std::logic_error("Result type is not supported: " + (pType ? pType->vTypeName : std::string("?")));
}

std::string FFault(std::string_view pCode, std::string_view pMessage, std::string_view pDetail) {
  return FEnvelopeOpen() + "<SOAP-ENV:Body><SOAP-ENV:Fault><faultactor/>" + FTextElement("faultcode", "", pCode) +
         FTextElement("faultstring", "", FAnsiToUtf8(pMessage)) + std::string(pDetail) +
         "</SOAP-ENV:Fault></SOAP-ENV:Body>" + std::string(cEnvelopeClose);
}

}  // namespace

std::string FAnswerEnvelope(const TIntfEntry& pEntry, const TMethodInfo& pMethod, const TSoapValue& pResult) {
  static const std::string vBodyOpen = "<SOAP-ENV:Body" + FAttr("SOAP-ENV:encodingStyle", cSoapEncodingNs) + "><";
  const std::string vName = "NS1:" + pMethod.vName + "Response";
  const std::string vResult =
      pMethod.vResultType.empty() ? std::string() : FReturnElement(FRemClassRegistry().FFind(pMethod.vResultType), pResult);
  std::string vOut;
  vOut.reserve(FEnvelopeOpen().size() + vBodyOpen.size() + 2 * vName.size() + vResult.size() + 256);
  vOut += FEnvelopeOpen();
  vOut += vBodyOpen;
  vOut += vName;
  vOut += FAttr("xmlns:NS1", pEntry.vNamespace);
  if (pMethod.vResultType.empty()) {
    vOut += "/>";
  } else {
    vOut += '>';
    vOut += vResult;
    vOut += "</";
    vOut += vName;
    vOut += '>';
  }
  vOut += "</SOAP-ENV:Body>";
  vOut += cEnvelopeClose;
  return vOut;
}

std::string FFaultEnvelope(std::string_view pMessage) { return FFault("SOAP-ENV:Server", pMessage, ""); }

std::string FMustUnderstandFaultEnvelope(std::string_view pMessage) {
  // The exception type is written without a registration of its own, so it
  // is registered now under the default rule.
  const TTypeInfo& vType = FRemClassRegistry().FFindOrRegister("ERemotableException", "InvokeRegistry");
  const std::string vDetail = "<detail><NS1:" + vType.vXmlName + FAttr("xmlns:NS1", vType.vNamespace) +
                              FAttr("xsi:type", "NS1:" + vType.vXmlName) + "/></detail>";
  return FFault("SOAP-ENV:MustUnderstand", pMessage, vDetail);
}

std::string FDispatcherFaultText(std::string_view pMessage) {
  // Only "&" and "<" are replaced in this fixed text; characters XML cannot
  // carry still become "?".
  const std::string vText = FXmlEscape(FAnsiToUtf8(pMessage), TXmlEscape::Minimal);
  return std::string("<?xml version=\"1.0\" encoding='UTF-8'?> <SOAP-ENV:Envelope xmlns:SOAP-ENV=\"") +
         cSoapEnvelopeNs + "\" ><SOAP-ENV:Body> <SOAP-ENV:Fault> <faultcode>SOAP-ENV:Server</faultcode><faultstring>" +
         vText + "</faultstring></SOAP-ENV:Fault></SOAP-ENV:Body></SOAP-ENV:Envelope>";
}

std::string FMultipartContentType() {
  return std::string("multipart/related; boundary=") + cMimeBoundary + "; start=\"<" + cMimeRootId + ">\"";
}

std::string FMultipartEnvelope(std::string_view pEnvelope) {
  return std::string("--") + cMimeBoundary + "\r\nContent-Type: text/xml\r\nContent-ID: <" + cMimeRootId +
         ">\r\n\r\n" + std::string(pEnvelope) + "\r\n--" + cMimeBoundary + "--\r\n";
}

std::string FMultipartDispatcherFault(std::string_view pFaultText) {
  return std::string("--") + cMimeBoundary + "\r\nContent-Type: text/xml\r\nContent-ID: <" + cMimeRootId +
         ">\r\nContent-Location: " + cMimeRootId + "\r\nContent-Length: " + std::to_string(pFaultText.size()) +
         "\r\n\r\n" + std::string(pFaultText) + "\r\n\r\n--" + cMimeBoundary;
}

}  // namespace soap
