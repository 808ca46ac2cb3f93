#include "host/uWebModule.h"

namespace host {

TWebModule1::TWebModule1(port::IEnv& pEnv)
    : TWebModule("WebModule1"),
      DefaultHandler(FAddAction("DefaultHandler")),
      HTTPSoapDispatcher1("HTTPSoapDispatcher1", pEnv),
      HTTPSoapPascalInvoker1("HTTPSoapPascalInvoker1"),
      WSDLHTMLPublish1("WSDLHTMLPublish1", pEnv) {
  DefaultHandler.Default = true;
  DefaultHandler.PathInfo = "/";
  DefaultHandler.MethodType = TMethodType::mtAny;
  DefaultHandler.Enabled = true;
  DefaultHandler.OnAction = [this](TComponent* pSender, TWebRequest& pRequest, TWebResponse& pResponse,
                                   bool& pHandled) {
    WebModule1DefaultHandlerAction(pSender, pRequest, pResponse, pHandled);
  };

  HTTPSoapDispatcher1.vWebDispatch = {true, TMethodType::mtPost, "soap*"};
  HTTPSoapDispatcher1.Dispatcher = &HTTPSoapPascalInvoker1;

  HTTPSoapPascalInvoker1.Converter.Options = {TSOAPConvertOption::soSendMultiRefObj,
                                              TSOAPConvertOption::soTryAllSchema};

  WSDLHTMLPublish1.vWebDispatch = {true, TMethodType::mtAny, "wsdl*"};
  WSDLHTMLPublish1.AdminEnabled = false;
  WSDLHTMLPublish1.TargetNamespace = cTargetNamespace;

  // Every member offering the dispatch interface, in creation order.
  PAddDispatcher(HTTPSoapDispatcher1);
  PAddDispatcher(WSDLHTMLPublish1);
}

void TWebModule1::WebModule1DefaultHandlerAction(TComponent* pSender, TWebRequest& pRequest,
                                                 TWebResponse& pResponse, bool& pHandled) {
  WSDLHTMLPublish1.ServiceInfoPage(pSender, pRequest, pResponse, pHandled);
}

std::unique_ptr<TWebModule> FCreateWebModule1(port::IEnv& pEnv) { return std::make_unique<TWebModule1>(pEnv); }

}  // namespace host
