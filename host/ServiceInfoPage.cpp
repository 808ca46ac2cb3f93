#include "host/ServiceInfoPage.h"


#include "host/WebRequest.h"
#include "host/WebText.h"
#include "port/Exception.h"
#include "port/Text.h"
#include "soap/CodePage.h"
#include "soap/WSDLGenerator.h"
#include "soap/XmlTextWriter.h"

namespace host {

namespace {

constexpr const char* cCrLf = "\r\n";
constexpr const char* cInspectionNs = "http://schemas.xmlsoap.org/ws/2001/10/inspection/";

// The rules after the first, shared by every page.
constexpr const char* cStyleRules[] = {
    "h1         {color: #333333; font-size: 18pt; font-style: normal; font-weight: bold; }",
    "h2         {color: #333333; font-size: 14pt; font-style: normal; font-weight: bold; }",
    "h3         {color: #333333; font-size: 12pt; font-style: normal; font-weight: bold; }",
    ".h1Style   {color: #333333; font-size: 18pt; font-style: normal; font-weight: bold; }",
    ".TblRow    {color: #333333; font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 10pt; font-weight: "
    "normal; }",
    ".TblRow1   {color: #333333; background-color: #f5f5dc; font-family: Verdana, Arial, Helvetica, sans-serif; "
    "font-size: 9pt; font-weight: normal; }",
    ".TblRow0   {color: #333333; background-color: #d9d4aa; font-family: Verdana, Arial, Helvetica, sans-serif; "
    "font-size: 9pt; font-weight: normal; }",
    ".TblHdr    {color: #CCCC99; background-color: #333333; font-family: Verdana, Arial, Helvetica, sans-serif; "
    "font-size: 10pt; font-weight: bold; text-align: center;}",
    ".IntfName  {color: #660000; font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 10pt; font-weight: "
    "bold; }",
    ".MethName  {color: #333333; font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 8pt; font-weight: "
    "bold; text-decoration: none; }",
    ".ParmName  {color: #333333; font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 8pt; "
    "text-decoration: none; }",
    ".Namespace {color: #333333; font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 9pt; font-style: "
    "italic; }",
    ".WSDL      {color: #990000; font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 8pt; font-weight: "
    "bold; }",
    ".MainBkgnd {background-color : #d9d4aa; }",
    ".Info      {font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 12pt; font-weight: bold; }",
    ".NavBar    {color: #660000; background-color: #f5f5dc; font-family: Verdana, Arial, Helvetica, sans-serif; "
    "font-size: 8pt; font-weight: bold;text-decoration: none; }",
    ".Off       {color: #A0A0A0; }",
    // A blank, a tab and four blanks: the rule is sent exactly so.
    ".Tip \t    {color: #666666; font-family : Verdana, Arial, Helvetica, sans-serif; font-weight : normal; "
    "font-size : 9pt; }",
};
constexpr const char* cBodyRule =
    "body       {font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 9pt; margin-left: 0px; margin-top: "
    "0px; margin-right: 0px; }";
// The publisher's error page has no margins.
constexpr const char* cErrorBodyRule = "body       {font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 9pt; }";

constexpr const char* cRowOpen =
    "<tr><td width=\"1%\" class=\"Info\">&nbsp;</td><td width=\"99%\" class=\"Info\">\r\n";
constexpr const char* cRowClose = "</td></tr>\r\n<tr><td>&nbsp;</td><td>&nbsp;</td></tr>\r\n";

int FHexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

class EURLDecodeError : public port::Exception {
 public:
  using port::Exception::Exception;
  [[nodiscard]] const char* FClassName() const noexcept override { return "EURLDecodeError"; }
};

std::string FDecodePiece(std::string_view pPiece) {
  std::string vOut;
  for (std::size_t i = 0; i < pPiece.size(); ++i) {
    const char c = pPiece[i];
    if (c == '+') {
      vOut += ' ';
    } else if (c != '%') {
      vOut += c;
    } else if (i + 1 < pPiece.size() && pPiece[i + 1] == '%') {
      vOut += '%';
      ++i;
    } else if (i + 2 >= pPiece.size()) {
      throw EURLDecodeError("Error decoding URL style (%XX) encoded string at position " + std::to_string(i + 1));
    } else {
      const int vHigh = FHexDigit(pPiece[i + 1]);
      const int vLow = FHexDigit(pPiece[i + 2]);
      if (vHigh < 0 || vLow < 0) {
        throw EURLDecodeError("Invalid URL encoded character (" + std::string(pPiece.substr(i, 3)) +
                              ") at position " + std::to_string(i + 1));
      }
      vOut += static_cast<char>(vHigh * 16 + vLow);
      i += 2;
    }
  }
  return vOut;
}

bool FHasResult(const soap::TMethodInfo& pMethod) { return !pMethod.vResultType.empty(); }

std::string FSelectedOperations(const soap::TIntfEntry& pEntry) {
  std::string vOut = "<table>\r\n";
  for (const soap::TMethodInfo& vMethod : pEntry.vMethods) {
    const std::string vResult = FHasResult(vMethod) ? FXmlTypeNameForPage(vMethod.vResultType) + " " : "void ";
    std::string vParams;
    for (std::size_t i = 0; i < vMethod.vParams.size(); ++i) {
      const soap::TParamInfo& vParam = vMethod.vParams[i];
      vParams += std::string("<span class=\"MethName\">") + (i == 0 ? "" : ", ") +
                 "</span><span class=\"ParmName\">" + FXmlTypeNameForPage(vParam.vTypeName) +
                 "</span><span class=\"MethName\">&nbsp;" + vParam.vName + "</span>";
    }
    vOut += "<tr><td width=\"10%\" class=\"MethName\">&nbsp;</td><td class=\"ParmName\">" + vResult + "</td><td>" +
            "<span class=\"MethName\">" + vMethod.vName + "(</span>" + vParams +
            "<span class=\"MethName\">)</span>" + "</td></tr>\r\n";
  }
  return vOut + "</table>\r\n";
}

}  // namespace

std::string FBaseUrl(const TWebRequest& pRequest) {
  std::string vUrl = "http://" + pRequest.Host();
  if (pRequest.ServerPort() > 0 && pRequest.ServerPort() != 80 && pRequest.Host().find(':') == std::string::npos) {
    vUrl += ":" + std::to_string(pRequest.ServerPort());
  }
  return vUrl + pRequest.ScriptName();
}

std::vector<const soap::TIntfEntry*> FPortTypeList() {
  std::vector<const soap::TIntfEntry*> vOut;
  const soap::TIntfEntry* vPublish = nullptr;
  for (const soap::TIntfEntry* vEntry : soap::FInvRegistry().FInterfaces()) {
    if (vEntry->vImplClass.empty()) continue;
    if (vEntry->vName == "IWSDLPublish") {
      vPublish = vEntry;
    } else {
      vOut.push_back(vEntry);
    }
  }
  if (vPublish != nullptr) vOut.push_back(vPublish);
  return vOut;
}

std::string FXmlTypeNameForPage(const std::string& pTypeName) {
  const soap::TTypeInfo* vType = soap::FRemClassRegistry().FFind(pTypeName);
  return vType == nullptr ? "????" : soap::FXmlTypeNameOf(*vType).vXmlName;
}

std::string TQueryFields::FValue(std::string_view pName) const {
  for (const auto& [vName, vValue] : vFields) {
    if (port::FSameTextNoCase(vName, pName)) return vValue;
  }
  return {};
}

TQueryFields FDecodeQueryFields(std::string_view pQuery) {
  TQueryFields vOut;
  if (pQuery.empty()) return vOut;
  std::size_t vStart = 0;
  while (true) {
    const std::size_t vEnd = pQuery.find('&', vStart);
    const std::string_view vPiece = pQuery.substr(vStart, vEnd == std::string_view::npos ? vEnd : vEnd - vStart);
    try {
      const std::string vDecoded = FDecodePiece(vPiece);
      const std::size_t vEquals = vDecoded.find('=');
      if (vEquals == std::string::npos) {
        vOut.vFields.emplace_back(vDecoded, "");
      } else {
        vOut.vFields.emplace_back(vDecoded.substr(0, vEquals), vDecoded.substr(vEquals + 1));
      }
    } catch (const EURLDecodeError& e) {
      vOut.vError = e.what();
      return vOut;
    }
    if (vEnd == std::string_view::npos) return vOut;
    vStart = vEnd + 1;
  }
}

std::string FPageHead(TPageHead pHead, const std::string& pServiceName) {
  std::string vOut;
  switch (pHead) {
    case TPageHead::InfoPage:
      vOut = "<html><head><META name=\"serviceInspection\" content=\"inspection.wsil\"><title>" + pServiceName +
             "</title></head><style type=\"text/css\"><!--\r\n";
      break;
    case TPageHead::Listing:
      vOut = "<html><head><title>" + pServiceName + "</title></head><style type=\"text/css\"><!--\r\n";
      break;
    case TPageHead::PublisherError:
      vOut = "<html><head></head><style type=\"text/css\"><!--\r\n";
      break;
  }
  vOut += pHead == TPageHead::PublisherError ? cErrorBodyRule : cBodyRule;
  vOut += cCrLf;
  for (const char* vRule : cStyleRules) {
    vOut += vRule;
    vOut += cCrLf;
  }
  vOut += pHead == TPageHead::PublisherError ? "--></style>\r\n<body><h1>" : "--></style>\r\n<body>";
  return vOut;
}

std::string FBanner(const std::string& pServiceName, const std::string& pPageName) {
  return "<table class=\"MainBkgnd\" border=0 cellpadding=0 cellspacing=0 width=\"100%\"><tr><td>&nbsp;</td></tr>"
         "<tr><td class=\"h1Style\" align=\"center\">" +
         pServiceName + " - " + pPageName + "</td></tr></table>";
}

std::string FPortTypesSection(const std::string& pServiceName, const std::string& pBaseUrl,
                              const std::string& pSelected) {
  const std::vector<const soap::TIntfEntry*> vList = FPortTypeList();
  if (vList.empty()) return {};
  const soap::TIntfEntry* vSelected = nullptr;
  for (const soap::TIntfEntry* vEntry : vList) {
    if (vEntry->vName == pSelected) vSelected = vEntry;
  }
  const std::string vBase = FHtmlEscape(pBaseUrl);

  std::string vOut = "<br><table width=\"100%\" border=0 cellpadding=1 cellspacing=0>\r\n";
  vOut += cRowOpen;
  if (vSelected == nullptr) {
    vOut += pServiceName + " - PortTypes:";
  } else {
    vOut += "<a href=\"" + vBase + "\">" + pServiceName + "</a>&nbsp;&gt;&nbsp;<span class=\"Off\">" +
            vSelected->vName + "</span>";
  }
  vOut += cRowClose;

  for (const soap::TIntfEntry* vEntry : vList) {
    if (vSelected != nullptr && vEntry != vSelected) continue;
    const std::string& vName = vEntry->vName;
    vOut += "<tr><td width=\"1%\">&nbsp;</td><td width=\"99%\"><ul>";
    if (vSelected == nullptr) {
      vOut += "<li>\r\n<a class=\"IntfName\" href=\"" + vBase + "?intf=" + vName + "\">" + vName + "</a>\r\n";
    } else {
      vOut += "<li>\r\n<span class=\"IntfName\">" + vName + "</span>\r\n";
    }
    vOut += "<span class=\"WSDL\">[</span><a class=\"WSDL\" href=\"" + vBase + "/wsdl/" + vName +
            "\">WSDL</a><span class=\"WSDL\">]</span>\r\n";
    if (vSelected != nullptr) vOut += "&nbsp;<span class=\"Namespace\">(" + vEntry->vNamespace + ")</span>\r\n";
    if (!vEntry->vDocumentation.empty()) {
      vOut += "<table><tr><td width=\"2%\">&nbsp;</td><td>\r\n";
      vOut += "<span class=\"Tip\">" + vEntry->vDocumentation + "</span></td></tr></table>\r\n";
    }
    if (vSelected == nullptr) {
      for (const soap::TMethodInfo& vMethod : vEntry->vMethods) {
        vOut += "<ul><li><span class=\"MethName\">" + vMethod.vName + "</span></li></ul>";
      }
    } else {
      vOut += FSelectedOperations(*vEntry);
    }
    vOut += "</li></ul></td></tr>";
  }

  if (vSelected == nullptr) {
    vOut += cRowOpen;
    vOut += "WSIL:";
    vOut += "&nbsp;&nbsp;<span class=\"Tip\">Link to WS-Inspection document of Services <a href=\"" + vBase +
            "/inspection.wsil\">here</a></span>";
    vOut += cRowClose;
  }
  return vOut + "</table>";
}

std::string FRegisteredTypesTable() {
  const std::vector<const soap::TTypeInfo*> vTypes = soap::FRemClassRegistry().FTypes();
  if (vTypes.empty()) return {};
  std::string vOut =
      "<a name=\"types\"></a><center><h3>Registered Types</h3><table cellpadding=2 cellspacing=1 border=0><tr>"
      "<td class=\"TblHdr\">Type</td><td class=\"TblHdr\">XML Name</td><td class=\"TblHdr\">Namespace</td>"
      "<td class=\"TblHdr\">Class</td><td class=\"TblHdr\">Address</td><td class=\"TblHdr\">ExtName</td></tr>";
  for (std::size_t i = 0; i < vTypes.size(); ++i) {
    const soap::TTypeInfo& vType = *vTypes[i];
    const std::string vClass = i % 2 == 0 ? "TblRow1" : "TblRow0";
    const soap::TXmlTypeName vXml = soap::FXmlTypeNameOf(vType);
    const bool vObject = vType.vKind == soap::TTypeKind::Object;
    const std::string vKind = vObject ? "" : vType.vKind == soap::TTypeKind::Array ? "(array)" : "(scalar)";
    const std::string vCell = "<td class=\"" + vClass + "\">";
    vOut += "<tr>" + vCell + vType.vTypeName + "</td>" + vCell + vXml.vXmlName + "</td>" + vCell + vXml.vNamespace +
            "</td>" + vCell + (vObject ? vType.vTypeName : "") + " " + vKind + "</td>" + vCell +
            std::to_string(vType.vId) + "</td>" + vCell + vType.vExtName + "</td></tr>";
  }
  return vOut + "</table></center>";
}

std::string FInspectionDocument(const std::string& pBaseUrl) {
  soap::TXmlNode vRoot("inspection");
  vRoot.FAttr("xmlns", cInspectionNs);
  for (const soap::TIntfEntry* vEntry : FPortTypeList()) {
    soap::TXmlNode& vService = vRoot.FAdd("service");
    vService.FAdd("abstract").FText(soap::FAnsiToUtf8(vEntry->vDocumentation));
    vService.FAdd("name").FText(vEntry->vName);
    vService.FAdd("description")
        .FAttr("referencedNamespace", soap::cWsdlNs)
        .FAttr("location", soap::FAnsiToUtf8(pBaseUrl + "/wsdl/" + vEntry->vName));
  }
  return soap::FXmlDocumentText(vRoot);
}

std::string FServiceInfoPage(const std::string& pServiceName, const TWebRequest& pRequest) {
  const std::string vBaseUrl = FBaseUrl(pRequest);
  const TQueryFields vFields = FDecodeQueryFields(pRequest.Query());
  std::string vTypes;
  try {
    if (vFields.FValue("types") == "1") vTypes = FRegisteredTypesTable();
  } catch (const std::exception&) {
    vTypes.clear();  // the types part is optional; the rest of the page still goes out
  }
  return FPageHead(TPageHead::InfoPage, pServiceName) + FBanner(pServiceName, "Service Info Page") +
         FPortTypesSection(pServiceName, vBaseUrl, vFields.FValue("intf")) + vTypes + "</body></html>";
}

}  // namespace host
