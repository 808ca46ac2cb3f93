#include "host/HTTPSoapDispatcher.h"

#include "host/ServiceInfoPage.h"
#include "host/WebResponse.h"
#include "soap/SoapHttpHandler.h"
#include "soap/WSDLGenerator.h"

namespace host {

bool THTTPSoapDispatcher::FDispatchRequest(TComponent*, TWebRequest& pRequest, TWebResponse& pResponse) {
  // A WSDL asked for over SOAP names this request's address as its port.
  const soap::TSoapCallContext vContext{FBaseUrl(pRequest), &vEnv};
  // "SOAPAction" is answered from the HTTP_SOAPACTION variable by the
  // request's lookup rule.
  soap::TSoapHttpAnswer vAnswer =
      soap::FHandleSoapRequest(pRequest.PathInfo(), pRequest.ContentType(), pRequest.Content(),
                               pRequest.FGetFieldByName("SOAPAction"), vContext);
  pResponse.SetStatusCode(vAnswer.vStatusCode);
  pResponse.SetContentType(std::move(vAnswer.vContentType));
  pResponse.ContentVersion = std::move(vAnswer.vContentVersion);
  pResponse.SetContent(std::move(vAnswer.vBody));
  return true;
}

}  // namespace host
