#include "host/WSDLHTMLPublish.h"

#include <ini.h>

#include "host/ServiceInfoPage.h"
#include "host/WebResponse.h"
#include "host/WebText.h"
#include "port/Env.h"
#include "port/Exception.h"
#include "port/Text.h"

namespace host {

namespace {

constexpr const char* cForbidden =
    "<html><head></head><body><h1>Forbidden (403)</h1><P>Access Forbidden</P></body></html>";

struct TAdminRead {
  const std::string* vSection;
  std::vector<soap::TWSDLPort>* vPorts;
};

int FAdminLine(void* pUser, const char* pSection, const char* pName, const char* pValue) {
  auto* vRead = static_cast<TAdminRead*>(pUser);
  if (port::FSameTextNoCase(pSection, *vRead->vSection)) vRead->vPorts->push_back({pName, pValue});
  return 1;
}

std::string FLines(const std::vector<std::string>& pLines) {
  std::string vOut;
  for (const std::string& vLine : pLines) vOut += vLine + "\r\n";
  return vOut;
}

std::string FCell(const char* pClass, const std::string& pText) {
  return std::string("<td class=\"") + pClass + "\">" + pText + "</td>";
}

std::string FListing(const std::string& pServiceName, const std::string& pPageAddress) {
  std::vector<std::string> vLines = {
      FPageHead(TPageHead::Listing, pServiceName) + FBanner(pServiceName, "WebService Listing"),
      "<center><br>",
      "<table border=1 cellspacing=1 cellpadding=2 >",
      "<tr>",
      FCell("TblHdr", "Port Type"),
      FCell("TblHdr", "Namespace URI"),
      FCell("TblHdr", "Documentation"),
      FCell("TblHdr", "WSDL"),
      "</tr>",
  };
  const std::string vAddress = FHtmlEscape(pPageAddress);
  for (const soap::TIntfEntry* vEntry : FPortTypeList()) {
    vLines.emplace_back("<tr>");
    vLines.push_back(FCell("TblRow", vEntry->vName));
    vLines.push_back(FCell("TblRow", vEntry->vNamespace));
    vLines.push_back(FCell("TblRow", vEntry->vDocumentation.empty() ? "&nbsp;" : vEntry->vDocumentation));
    vLines.push_back(
        FCell("TblRow", "<a href=\"" + vAddress + "/" + vEntry->vName + "\">" + vEntry->vName + "</a>"));
    vLines.emplace_back("</tr>");
  }
  vLines.emplace_back("</table>");
  vLines.emplace_back("</center>");
  vLines.emplace_back("</body></html>");
  return FLines(vLines);
}

}  // namespace

TWSDLHTMLPublish::TWSDLHTMLPublish(std::string pName, port::IEnv& pEnv)
    : TComponent(std::move(pName)), vEnv(pEnv), vServiceName(port::FFileNameWithoutExtension(pEnv.FExePath())) {}

void TWSDLHTMLPublish::ServiceInfoPage(TComponent*, TWebRequest& pRequest, TWebResponse& pResponse,
                                       bool& pHandled) {
  if (port::FSameTextNoCase(pRequest.PathInfo(), "/inspection.wsil")) {
    pResponse.SetContent(FInspectionDocument(FBaseUrl(pRequest)));
    pResponse.SetContentType("text/xml");
  } else {
    pResponse.SetContent(FServiceInfoPage(vServiceName, pRequest));
  }
  pHandled = true;
}

std::vector<soap::TWSDLPort> TWSDLHTMLPublish::FAdminPorts(const std::string& pInterface) {
  std::vector<soap::TWSDLPort> vPorts;
  const std::optional<std::string> vText = vEnv.FReadFile(port::FChangeFileExtEmpty(vEnv.FExePath()) +
                                                          "_WSDLADMIN.INI");
  if (!vText) return vPorts;
  TAdminRead vRead{&pInterface, &vPorts};
  // Lines inih cannot read are skipped; the ones it can still count.
  (void)ini_parse_string(vText->c_str(), &FAdminLine, &vRead);
  return vPorts;
}

bool TWSDLHTMLPublish::FDispatchRequest(TComponent*, TWebRequest& pRequest, TWebResponse& pResponse) {
  try {
    PDispatch(pRequest, pResponse);
  } catch (const std::exception& e) {
    pResponse.SetContent(FPageHead(TPageHead::PublisherError, "") + "Error: " + FHtmlEscape(e.what()) + "/" +
                         port::FExceptionClassName(e) + "</h1>" + "</body></html>");
    pResponse.SetContentType("text/html");
  } catch (...) {
    pResponse.SetContent(FPageHead(TPageHead::PublisherError, "") + "Unknown Error" + "</h1>" + "</body></html>");
    pResponse.SetContentType("text/html");
  }
  return true;
}

void TWSDLHTMLPublish::PDispatch(TWebRequest& pRequest, TWebResponse& pResponse) {
  const std::string vBaseUrl = FBaseUrl(pRequest);
  std::string vPath = pRequest.PathInfo();
  if (!vPath.empty() && vPath.back() == '/') vPath.pop_back();
  const std::size_t vSlash = vPath.find_last_of('/');
  const std::string vLast = vSlash == std::string::npos ? vPath : vPath.substr(vSlash + 1);
  std::string vPrevious;
  if (vSlash != std::string::npos && vSlash > 0) {
    const std::size_t vBefore = vPath.find_last_of('/', vSlash - 1);
    vPrevious = vBefore == std::string::npos ? vPath.substr(0, vSlash) : vPath.substr(vBefore + 1, vSlash - vBefore - 1);
  }

  int vStatus = 200;
  std::string vContentType = "text/html";
  std::string vContent;
  if (vLast == "wsdl") {
    vContent = FListing(vServiceName, vBaseUrl + vPath);
  } else if (vLast == "admin") {
    vStatus = 403;
    vContent = FLines({cForbidden});
  } else if (vPrevious == "wsdl") {
    if (const soap::TIntfEntry* vEntry = soap::FInvRegistry().FFindNoCase(vLast)) {
      // The registered name, not the one asked for, so that every spelling
      // of the path gives the same document.
      std::vector<soap::TWSDLPort> vPorts = FAdminPorts(vEntry->vName);
      if (vPorts.empty()) vPorts.push_back({vEntry->vName + "Port", vBaseUrl + "/soap/" + vEntry->vName});
      vContentType = "text/xml";
      vContent = FLines({soap::FGenerateWSDL(*vEntry, TargetNamespace, vPorts)});
    } else {
      vContent = FLines({"<html><head></head><body><h1>Error Encountered</h1><P>Interface " + FHtmlEscape(vLast) +
                         " not found</P></body></html>"});
    }
  } else if (vPrevious == "admin") {
    vStatus = 403;
    vContent = FLines({cForbidden});
  } else {
    vContentType.clear();
  }
  pResponse.SetStatusCode(vStatus);
  pResponse.SetContentType(std::move(vContentType));
  pResponse.SetContent(std::move(vContent));
}

}  // namespace host
