// The service's web module TWebModule1. Members, created in this order:
//   DefaultHandler          action: Default, PathInfo "/", mtAny, enabled;
//                           forwards to WSDLHTMLPublish1.ServiceInfoPage
//   HTTPSoapDispatcher1     PathInfo "soap*", mtPost, enabled
//   HTTPSoapPascalInvoker1  converter options soSendMultiRefObj, soTryAllSchema
//   WSDLHTMLPublish1        PathInfo "wsdl*", mtAny, enabled; admin off;
//                           target namespace "http://tempuri.org/"
// Its dispatching components are HTTPSoapDispatcher1 and WSDLHTMLPublish1,
// in that order. It has no before/after-dispatch or exception handler of its
// own, so every request ends at one of these members.
#pragma once

#include <memory>

#include "host/HTTPSoapDispatcher.h"
#include "host/HTTPSoapPascalInvokerComponent.h"
#include "host/WSDLHTMLPublish.h"
#include "host/WebModule.h"

namespace port {
class IEnv;
}

namespace host {

class TWebModule1 : public TWebModule {
 public:
  static constexpr const char* cTargetNamespace = "http://tempuri.org/";

  // REQUIRES: pEnv outlives the module.
  explicit TWebModule1(port::IEnv& pEnv);

  TWebActionItem& DefaultHandler;
  THTTPSoapDispatcher HTTPSoapDispatcher1;
  THTTPSoapPascalInvoker HTTPSoapPascalInvoker1;
  TWSDLHTMLPublish WSDLHTMLPublish1;

  void WebModule1DefaultHandlerAction(TComponent* pSender, TWebRequest& pRequest, TWebResponse& pResponse,
                                      bool& pHandled);
};

// The web module type that the application records at start-up.
[[nodiscard]] std::unique_ptr<TWebModule> FCreateWebModule1(port::IEnv& pEnv);

}  // namespace host
