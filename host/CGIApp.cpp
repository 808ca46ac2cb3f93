#include "host/CGIApp.h"

#include "host/CGIRequest.h"
#include "host/CGIResponse.h"
#include "host/WebText.h"
#include "port/Env.h"

namespace host {

namespace {

constexpr const char* cOnlyOneModule = "Only one data module per application";
constexpr const char* cNoModulesRegistered = "No data modules registered";
constexpr const char* cNoModulesActivated = "No automatically activated data modules";
constexpr const char* cUnknownException = "Unknown exception";

}  // namespace

void TCGIApplication::PSetWebModuleClass(TWebModuleClass pClass) {
  if (vWebModuleClass != nullptr && vWebModuleClass != pClass) throw EWebApplicationError(cOnlyOneModule);
  vWebModuleClass = pClass;
}

std::string TCGIApplication::FServerErrorHeader(std::string_view pMessage, std::size_t pBodyLength) {
  return "Status: 500 " + FHeaderValue(pMessage) + "\r\nContent-Type: text/html\r\nContent-Length: " +
         std::to_string(pBodyLength) + "\r\n\r\n";
}

std::string TCGIApplication::FServerErrorBody(std::string_view pClassName, std::string_view pMessage) {
  return "<html><title>Internal Server Error 500</title>\r\n<h1>Internal Server Error 500</h1><hr>\r\nException: " +
         FHtmlEscape(pClassName) + "<br>\r\nMessage: " + FHtmlEscape(pMessage) + "<br></html>\r\n";
}

void TCGIApplication::PRun() noexcept { PRunCycle(vEnv, vWebModule); }

void TCGIApplication::PRunFresh(port::IEnv& pRequestEnv) noexcept {
  std::unique_ptr<TWebModule> vModule;
  PRunCycle(pRequestEnv, vModule);
}

void TCGIApplication::PRunCycle(port::IEnv& pRequestEnv, std::unique_ptr<TWebModule>& pModule) noexcept {
  try {
    // Declared in this order so that the response is freed before the
    // request, both before a server error answer is written.
    auto vRequest = std::make_unique<TCGIRequest>(pRequestEnv);
    auto vResponse = std::make_unique<TCGIResponse>(*vRequest, pRequestEnv);
    PHandleRequest(pRequestEnv, pModule, *vRequest, *vResponse);
  } catch (const std::exception& e) {
    PWriteServerError(pRequestEnv, port::FExceptionClassName(e), e.what());
  } catch (...) {
    PWriteServerError(pRequestEnv, "Exception", cUnknownException);
  }
}

void TCGIApplication::PHandleRequest(port::IEnv& pRequestEnv, std::unique_ptr<TWebModule>& pModule,
                                     TWebRequest& pRequest, TWebResponse& pResponse) {
  if (!pModule) {
    if (vWebModuleClass == nullptr) throw EWebApplicationError(cNoModulesRegistered);
    pModule = vWebModuleClass(pRequestEnv);
    if (!pModule) throw EWebApplicationError(cNoModulesActivated);
  }
  bool vHandled = false;
  try {
    vHandled = pModule->FHandleRequest(pRequest, pResponse);
  } catch (const std::exception& e) {
    pModule->PHandleException(e, pRequest, pResponse);
  } catch (...) {
    pModule->PHandleException(EWebApplicationError(cUnknownException), pRequest, pResponse);
  }
  if (vHandled && !pResponse.Sent()) pResponse.SendResponse();
}

void TCGIApplication::PWriteServerError(port::IEnv& pRequestEnv, std::string_view pClassName,
                                        std::string_view pMessage) noexcept {
  try {
    const std::string vBody = FServerErrorBody(pClassName, pMessage);
    pRequestEnv.PHoldTermination();  // as for any answer: the shutdown still follows
    (void)pRequestEnv.FWriteStdout(FServerErrorHeader(pMessage, vBody.size()));
    (void)pRequestEnv.FWriteStdout(vBody);
  } catch (...) {
    // Out of memory while answering an error: nothing more can be said.
  }
}

}  // namespace host
