#include "soap/HTTPSoapPascalInvoker.h"

#include <exception>
#include <memory>
#include <optional>

#include "port/Text.h"
#include "soap/MimeMultipart.h"
#include "soap/OPToSoapDomConvert.h"
#include "soap/SoapEnvelopeWriter.h"
#include "soap/SoapException.h"

namespace soap {

namespace {

std::string_view FCutAtHash(std::string_view p) { return p.substr(0, p.find('#')); }

const TIntfEntry& FWithClass(const TIntfEntry& pEntry, std::string_view pSelector) {
  if (pEntry.vImplClass.empty() || !pEntry.vCreate)
    throw EInvokerError(
        port::FFormat("No invokable class registered that implements interface %s of (soap action/path) %s",
                      {pEntry.vUnitName + "." + pEntry.vName, pSelector}));
  return pEntry;
}

}  // namespace

const TIntfEntry& FSelectInterface(std::string_view pSoapAction, std::string_view pPath) {
  const auto vEntries = FInvRegistry().FInterfaces();
  if (!pSoapAction.empty() && pSoapAction != "\"\"") {
    std::string_view vAction = pSoapAction;
    if (!vAction.empty() && vAction.front() == '"') vAction.remove_prefix(1);
    if (!vAction.empty() && vAction.back() == '"') vAction.remove_suffix(1);
    vAction = FCutAtHash(vAction);
    for (const TIntfEntry* vEntry : vEntries) {
      const std::string_view vKey = FCutAtHash(vEntry->vDefaultSoapAction ? *vEntry->vDefaultSoapAction : vEntry->vNamespace);
      if (vKey == vAction) return FWithClass(*vEntry, pSoapAction);
    }
    throw EInvokerError(port::FFormat("No interface  registered for soap action '%s'", {pSoapAction}));
  }
  const std::size_t vSlash = pPath.rfind('/');
  const std::string_view vName = vSlash == std::string_view::npos ? pPath : pPath.substr(vSlash + 1);
  if (const TIntfEntry* vEntry = FInvRegistry().FFindNoCase(vName)) return FWithClass(*vEntry, pPath);
  throw EInvokerError(port::FFormat("No interface  registered for URL '%s'", {pPath}));
}

TInvokeResult FInvoke(const TIntfEntry& pEntry, std::string_view pContentType, std::string_view pContent,
                      bool pMultipart, const TSoapCallContext& pContext) {
  TInvokeResult vResult;
  // Still multipart while the request is being read; a call that got as far
  // as the operation answers in plain XML whatever happens.
  vResult.vMultipart = pMultipart;
  try {
    // Attachments (and their files) live exactly as long as this call.
    std::optional<TMimeRequest> vMime;
    std::string_view vEnvelope = pContent;
    if (pMultipart) {
      if (pContext.vEnv == nullptr) throw EInvokerError("Multipart request without an environment for its attachments");
      vMime.emplace(*pContext.vEnv);
      PReadMultipart(pContentType, pContent, *vMime);
      vEnvelope = vMime->vEnvelope;
    }
    const TSoapRequest vRequest = FReadSoapRequest(pEntry, vEnvelope);
    vResult.vMultipart = false;
    TSoapValue vValue;
    {
      std::unique_ptr<IInvokable> vInstance = pEntry.vCreate();
      vInstance->PSetCallContext(pContext);
      vValue = vRequest.vMethod->vCall(*vInstance, vRequest.vArgs);
    }
    vResult.vBody = FAnswerEnvelope(pEntry, *vRequest.vMethod, vValue);
  } catch (const EMustUnderstandError& e) {
    vResult.vBody = FMustUnderstandFaultEnvelope(e.what());
  } catch (const std::exception& e) {
    vResult.vBody = FFaultEnvelope(e.what());
  } catch (...) {
    vResult.vBody = FFaultEnvelope("Unknown error");
  }
  if (vResult.vMultipart) vResult.vBody = FMultipartEnvelope(vResult.vBody);
  return vResult;
}

}  // namespace soap
