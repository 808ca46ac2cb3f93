#include "host/WSDLHTMLPublish.h"

#include "host/WebResponse.h"
#include "host/WebText.h"
#include "port/Env.h"

namespace host {

TWSDLHTMLPublish::TWSDLHTMLPublish(std::string pName, port::IEnv& pEnv)
    : TComponent(std::move(pName)), vEnv(pEnv), vServiceName(port::FFileNameWithoutExtension(pEnv.FExePath())) {}

void TWSDLHTMLPublish::ServiceInfoPage(TComponent*, TWebRequest&, TWebResponse& pResponse, bool& pHandled) {
  const std::string vName = FHtmlEscape(vServiceName);
  pResponse.SetContent("<html><head><title>" + vName + "</title></head><body><h1>" + vName +
                       " - Service Info Page</h1></body></html>");
  pHandled = true;
}

bool TWSDLHTMLPublish::FDispatchRequest(TComponent*, TWebRequest& pRequest, TWebResponse& pResponse) {
  std::string_view vPath = pRequest.PathInfo();
  if (!vPath.empty() && vPath.back() == '/') vPath.remove_suffix(1);
  const std::size_t vSlash = vPath.find_last_of('/');
  const std::string_view vLast = vSlash == std::string_view::npos ? vPath : vPath.substr(vSlash + 1);
  if (vLast != "wsdl") {
    // Not a page of this publisher: an empty answer without a content type.
    pResponse.SetContentType("");
    return true;
  }
  const std::string vName = FHtmlEscape(vServiceName);
  pResponse.SetContentType("text/html");
  pResponse.SetContent("<html><head><title>" + vName + "</title></head><body><h1>" + vName +
                       " - WebService Listing</h1><p>" + FHtmlEscape(pRequest.PathInfo()) +
                       "</p><ul><li>IVelmora</li><li>IWSDLPublish</li></ul></body></html>");
  return true;
}

}  // namespace host
