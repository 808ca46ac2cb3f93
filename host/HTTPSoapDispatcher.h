// The SOAP dispatcher component: hands a request's path, content type,
// content and SOAP action to the SOAP layer and puts its answer (status,
// content type, content version for multipart answers, body) into the
// response. The SOAP layer never throws, so neither does this component for
// anything the client sends. It always answers handled.
#pragma once

#include "host/HTTPSoapPascalInvokerComponent.h"
#include "host/WebModule.h"

namespace port {
class IEnv;
}

namespace host {

class THTTPSoapDispatcher : public TComponent, public IWebDispatch {
 public:
  // pEnv: the request's environment, which keeps the attachments of a
  // multipart call; it must outlive the component.
  THTTPSoapDispatcher(std::string pName, port::IEnv& pEnv) : TComponent(std::move(pName)), vEnv(pEnv) {}

  TWebDispatch vWebDispatch;
  THTTPSoapPascalInvoker* Dispatcher = nullptr;  // borrowed, a sibling member

  [[nodiscard]] const TWebDispatch& WebDispatch() const override { return vWebDispatch; }
  [[nodiscard]] bool FDispatchRequest(TComponent* pSender, TWebRequest& pRequest, TWebResponse& pResponse) override;

 private:
  port::IEnv& vEnv;
};

}  // namespace host
