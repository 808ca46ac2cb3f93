// The publisher component: the service information page (through the web
// module's default action) and the answers for paths under /wsdl (through
// its own dispatch). This version answers with plain pages that name the
// service; every text taken from outside is HTML-escaped.
//
// Its interface to the web module is ServiceInfoPage and the dispatching
// component interface; nothing else of it is used by the host.
//
// REQUIRES: pEnv outlives the component.
#pragma once

#include <string>
#include <vector>

#include "host/WebModule.h"

namespace port {
class IEnv;
}

namespace host {

class TWSDLHTMLPublish : public TComponent, public IWebDispatch {
 public:
  TWSDLHTMLPublish(std::string pName, port::IEnv& pEnv);

  TWebDispatch vWebDispatch;
  bool AdminEnabled = false;
  std::string TargetNamespace;
  std::vector<std::string> PublishOptions;

  // The default action's work: sets the page as Content and handled to true.
  void ServiceInfoPage(TComponent* pSender, TWebRequest& pRequest, TWebResponse& pResponse, bool& pHandled);

  [[nodiscard]] const TWebDispatch& WebDispatch() const override { return vWebDispatch; }
  // Always handled.
  [[nodiscard]] bool FDispatchRequest(TComponent* pSender, TWebRequest& pRequest, TWebResponse& pResponse) override;

  // The executable's file name without directory and extension.
  [[nodiscard]] const std::string& FServiceName() const noexcept { return vServiceName; }

 private:
  port::IEnv& vEnv;
  std::string vServiceName;
};

}  // namespace host
