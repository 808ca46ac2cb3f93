// The publisher component WSDLHTMLPublish1: the service information page
// (through the web module's default action, ServiceInfoPage) and, through
// its own dispatch, every path under /wsdl:
//   .../wsdl                the WebService listing (HTML)
//   .../admin               403 Forbidden
//   /wsdl/<interface>       the interface's WSDL (text/xml), any case
//   /wsdl/<unknown>         the interface-not-found page
//   .../admin/<anything>    403 Forbidden
//   anything else           an empty answer without a content type
// A trailing "/" is ignored. The ports of a WSDL come from the
// administration file beside the executable (<exe without extension>
// + "_WSDLADMIN.INI", section = interface name, one "port = address" line
// per port, in file order), read on every request and never written;
// without a section the one port is <Name>Port at <base URL>/soap/<Name>.
// Any error of the dispatch becomes the publisher's error page.
//
// REQUIRES: pEnv outlives the component.
#pragma once

#include <string>
#include <vector>

#include "host/WebModule.h"
#include "soap/WSDLGenerator.h"

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

  // The default action's work: the information page (or, at
  // /inspection.wsil, the WS-Inspection document as text/xml) as Content,
  // and handled set to true. Errors other than those of the types table
  // pass to the caller.
  void ServiceInfoPage(TComponent* pSender, TWebRequest& pRequest, TWebResponse& pResponse, bool& pHandled);

  [[nodiscard]] const TWebDispatch& WebDispatch() const override { return vWebDispatch; }
  // Always handled; never throws.
  [[nodiscard]] bool FDispatchRequest(TComponent* pSender, TWebRequest& pRequest, TWebResponse& pResponse) override;

  // The executable's file name without directory and extension.
  [[nodiscard]] const std::string& FServiceName() const noexcept { return vServiceName; }

  // The ports the administration file lists for pInterface (section name
  // without regard to case), in file order; empty when it has none.
  [[nodiscard]] std::vector<soap::TWSDLPort> FAdminPorts(const std::string& pInterface);

 private:
  void PDispatch(TWebRequest& pRequest, TWebResponse& pResponse);

  port::IEnv& vEnv;
  std::string vServiceName;
};

}  // namespace host
