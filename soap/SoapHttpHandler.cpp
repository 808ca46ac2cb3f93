#include "soap/SoapHttpHandler.h"

#include <exception>

#include "soap/HTTPSoapPascalInvoker.h"
#include "soap/SoapEnvelopeWriter.h"
#include "soap/XmlRuntime.h"

namespace soap {

namespace {

constexpr std::string_view cMultipart = "multipart/related";

TSoapHttpAnswer FDispatcherFault(std::string_view pMessage, bool pMultipart) {
  TSoapHttpAnswer vAnswer;
  vAnswer.vStatusCode = 500;
  vAnswer.vBody = FDispatcherFaultText(pMessage);
  if (pMultipart) {
    vAnswer.vBody = FMultipartDispatcherFault(vAnswer.vBody);
    vAnswer.vContentType = FMultipartContentType();
    vAnswer.vContentVersion = "MIME-Version: 1.0";
  }
  return vAnswer;
}

}  // namespace

TSoapHttpAnswer FHandleSoapRequest(std::string_view pPathInfo, std::string_view pContentType,
                                   std::string_view pContent, std::string_view pSoapAction,
                                   const TSoapCallContext& pContext) noexcept {
  // Case counts, and nothing else of the content type is looked at.
  const bool vMultipart = pContentType.substr(0, cMultipart.size()) == cMultipart;
  try {
    try {
      PCoInitialize();
      const TIntfEntry& vEntry = FSelectInterface(pSoapAction, pPathInfo);
      TInvokeResult vResult = FInvoke(vEntry, pContentType, pContent, vMultipart, pContext);
      TSoapHttpAnswer vAnswer;
      vAnswer.vBody = std::move(vResult.vBody);
      if (vResult.vMultipart) {
        vAnswer.vContentType = FMultipartContentType();
        vAnswer.vContentVersion = "MIME-Version: 1.0";
      }
      return vAnswer;
    } catch (const std::exception& e) {
      return FDispatcherFault(e.what(), vMultipart);
    }
  } catch (...) {
    // Out of memory while writing a fault: the shortest answer that is still a fault.
    TSoapHttpAnswer vAnswer;
    vAnswer.vStatusCode = 500;
    return vAnswer;
  }
}

}  // namespace soap
