// The publisher and the service pages of the whole service process run in
// memory with the variables a web server sets: the exact bytes of the information
// page, the listing and the error pages, the base URL rules, the query
// fields, the WS-Inspection document, and the WSDL documents compared as
// trees (with the default port and with an administration file).
#include <gtest/gtest.h>

#include <fstream>

#include "support/InProcessService.h"
#include "wsdl/XmlTree.h"

namespace {

// --- the expected bytes, written out from the page templates -------------

const std::string cStyle =
    "body       {font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 9pt; margin-left: 0px; margin-top: "
    "0px; margin-right: 0px; }\r\n"
    "h1         {color: #333333; font-size: 18pt; font-style: normal; font-weight: bold; }\r\n"
    "h2         {color: #333333; font-size: 14pt; font-style: normal; font-weight: bold; }\r\n"
    "h3         {color: #333333; font-size: 12pt; font-style: normal; font-weight: bold; }\r\n"
    ".h1Style   {color: #333333; font-size: 18pt; font-style: normal; font-weight: bold; }\r\n"
    ".TblRow    {color: #333333; font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 10pt; font-weight: "
    "normal; }\r\n"
    ".TblRow1   {color: #333333; background-color: #f5f5dc; font-family: Verdana, Arial, Helvetica, sans-serif; "
    "font-size: 9pt; font-weight: normal; }\r\n"
    ".TblRow0   {color: #333333; background-color: #d9d4aa; font-family: Verdana, Arial, Helvetica, sans-serif; "
    "font-size: 9pt; font-weight: normal; }\r\n"
    ".TblHdr    {color: #CCCC99; background-color: #333333; font-family: Verdana, Arial, Helvetica, sans-serif; "
    "font-size: 10pt; font-weight: bold; text-align: center;}\r\n"
    ".IntfName  {color: #660000; font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 10pt; "
    "font-weight: bold; }\r\n"
    ".MethName  {color: #333333; font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 8pt; "
    "font-weight: bold; text-decoration: none; }\r\n"
    ".ParmName  {color: #333333; font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 8pt; "
    "text-decoration: none; }\r\n"
    ".Namespace {color: #333333; font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 9pt; "
    "font-style: italic; }\r\n"
    ".WSDL      {color: #990000; font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 8pt; "
    "font-weight: bold; }\r\n"
    ".MainBkgnd {background-color : #d9d4aa; }\r\n"
    ".Info      {font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 12pt; font-weight: bold; }\r\n"
    ".NavBar    {color: #660000; background-color: #f5f5dc; font-family: Verdana, Arial, Helvetica, sans-serif; "
    "font-size: 8pt; font-weight: bold;text-decoration: none; }\r\n"
    ".Off       {color: #A0A0A0; }\r\n"
    ".Tip \t    {color: #666666; font-family : Verdana, Arial, Helvetica, sans-serif; font-weight : normal; "
    "font-size : 9pt; }\r\n";

std::string FBanner(const std::string& pPage) {
  return "<table class=\"MainBkgnd\" border=0 cellpadding=0 cellspacing=0 width=\"100%\"><tr><td>&nbsp;</td></tr>"
         "<tr><td class=\"h1Style\" align=\"center\">velmora - " +
         pPage + "</td></tr></table>";
}

const std::string cInfoHead =
    "<html><head><META name=\"serviceInspection\" content=\"inspection.wsil\"><title>velmora</title></head>"
    "<style type=\"text/css\"><!--\r\n" +
    cStyle + "--></style>\r\n<body>" + FBanner("Service Info Page");

const std::string cRowOpen = "<tr><td width=\"1%\" class=\"Info\">&nbsp;</td><td width=\"99%\" class=\"Info\">\r\n";
const std::string cRowClose = "</td></tr>\r\n<tr><td>&nbsp;</td><td>&nbsp;</td></tr>\r\n";
const char* const cVelmoraOps[] = {"FVerificaAtividade",   "FRetornaPedido",       "FRetornaPedidoItem",
                                   "FAtualizaStatusPedido", "FRetornaColConvenios", "FRetornaColFinancimentos"};
const char* const cPublishOps[] = {"GetPortTypeList", "GetWSDLForPortType", "GetTypeSystemsList",
                                   "GetXSDForTypeSystem"};
const std::string cPublishDoc = "Lists all the PortTypes published by this Service";

std::string FListedEntry(const std::string& pBase, const std::string& pName, const std::string& pDoc,
                         const std::vector<const char*>& pOps) {
  std::string v = "<tr><td width=\"1%\">&nbsp;</td><td width=\"99%\"><ul><li>\r\n<a class=\"IntfName\" href=\"" +
                  pBase + "?intf=" + pName + "\">" + pName + "</a>\r\n<span class=\"WSDL\">[</span><a class=\"WSDL\" "
                  "href=\"" + pBase + "/wsdl/" + pName + "\">WSDL</a><span class=\"WSDL\">]</span>\r\n";
  if (!pDoc.empty()) {
    v += "<table><tr><td width=\"2%\">&nbsp;</td><td>\r\n<span class=\"Tip\">" + pDoc +
         "</span></td></tr></table>\r\n";
  }
  for (const char* vOp : pOps) v += std::string("<ul><li><span class=\"MethName\">") + vOp + "</span></li></ul>";
  return v + "</li></ul></td></tr>";
}

// The port types section with nothing selected.
std::string FFullList(const std::string& pBase) {
  return "<br><table width=\"100%\" border=0 cellpadding=1 cellspacing=0>\r\n" + cRowOpen + "velmora - PortTypes:" +
         cRowClose +
         FListedEntry(pBase, "IVelmora", "", {std::begin(cVelmoraOps), std::end(cVelmoraOps)}) +
         FListedEntry(pBase, "IWSDLPublish", cPublishDoc, {std::begin(cPublishOps), std::end(cPublishOps)}) +
         cRowOpen + "WSIL:" +
         "&nbsp;&nbsp;<span class=\"Tip\">Link to WS-Inspection document of Services <a href=\"" + pBase +
         "/inspection.wsil\">here</a></span>" + cRowClose + "</table>";
}

std::string FInfoPage(const std::string& pSection, const std::string& pTypes = "") {
  return cInfoHead + pSection + pTypes + "</body></html>";
}

std::string FOperationRow(const std::string& pResult, const std::string& pName, const std::string& pParams) {
  return "<tr><td width=\"10%\" class=\"MethName\">&nbsp;</td><td class=\"ParmName\">" + pResult +
         "</td><td><span class=\"MethName\">" + pName + "(</span>" + pParams +
         "<span class=\"MethName\">)</span></td></tr>\r\n";
}

const std::string cKeyParam =
    "<span class=\"MethName\"></span><span class=\"ParmName\">TChavePedido</span>"
    "<span class=\"MethName\">&nbsp;pChavePedido</span>";

std::string FVelmoraSelected(const std::string& pBase) {
  return "<br><table width=\"100%\" border=0 cellpadding=1 cellspacing=0>\r\n" + cRowOpen + "<a href=\"" + pBase +
         "\">velmora</a>&nbsp;&gt;&nbsp;<span class=\"Off\">IVelmora</span>" + cRowClose +
         "<tr><td width=\"1%\">&nbsp;</td><td width=\"99%\"><ul><li>\r\n<span class=\"IntfName\">IVelmora</span>\r\n"
         "<span class=\"WSDL\">[</span><a class=\"WSDL\" href=\"" + pBase +
         "/wsdl/IVelmora\">WSDL</a><span class=\"WSDL\">]</span>\r\n"
         "&nbsp;<span class=\"Namespace\">(urn:VelmoraIntf-IVelmora)</span>\r\n<table>\r\n" +
         FOperationRow("boolean ", "FVerificaAtividade", "") + FOperationRow("string ", "FRetornaPedido", cKeyParam) +
         FOperationRow("string ", "FRetornaPedidoItem", cKeyParam) +
         FOperationRow("boolean ", "FAtualizaStatusPedido", cKeyParam) +
         FOperationRow("string ", "FRetornaColConvenios", cKeyParam) +
         FOperationRow("string ", "FRetornaColFinancimentos", cKeyParam) + "</table>\r\n</li></ul></td></tr></table>";
}

std::string FTypeRow(const char* pRow, const std::string& pType, const std::string& pXml, const std::string& pNs,
                     const std::string& pClass, int pId) {
  const std::string c = std::string("<td class=\"") + pRow + "\">";
  return "<tr>" + c + pType + "</td>" + c + pXml + "</td>" + c + pNs + "</td>" + c + pClass + "</td>" + c +
         std::to_string(pId) + "</td>" + c + "</td></tr>";
}

const std::string cXsd = "http://www.w3.org/2001/XMLSchema";
const std::string cTypesTable =
    "<a name=\"types\"></a><center><h3>Registered Types</h3><table cellpadding=2 cellspacing=1 border=0><tr>"
    "<td class=\"TblHdr\">Type</td><td class=\"TblHdr\">XML Name</td><td class=\"TblHdr\">Namespace</td>"
    "<td class=\"TblHdr\">Class</td><td class=\"TblHdr\">Address</td><td class=\"TblHdr\">ExtName</td></tr>" +
    FTypeRow("TblRow1", "string", "string", cXsd, " (scalar)", 1) +
    FTypeRow("TblRow0", "WideString", "string", cXsd, " (scalar)", 2) +
    FTypeRow("TblRow1", "Boolean", "boolean", cXsd, " (scalar)", 3) +
    FTypeRow("TblRow0", "TWideStringDynArray", "TWideStringDynArray", "urn:VelmoraTypes", " (array)", 4) +
    FTypeRow("TblRow1", "TChavePedido", "TChavePedido", "urn:uClassChavePedido", "TChavePedido ", 5) +
    "</table></center>";

std::string FListing(const std::string& pPageAddress) {
  std::string v = "<html><head><title>velmora</title></head><style type=\"text/css\"><!--\r\n" + cStyle +
                  "--></style>\r\n<body>" + FBanner("WebService Listing") +
                  "\r\n<center><br>\r\n<table border=1 cellspacing=1 cellpadding=2 >\r\n<tr>\r\n"
                  "<td class=\"TblHdr\">Port Type</td>\r\n<td class=\"TblHdr\">Namespace URI</td>\r\n"
                  "<td class=\"TblHdr\">Documentation</td>\r\n<td class=\"TblHdr\">WSDL</td>\r\n</tr>\r\n";
  const auto vRow = [&](const std::string& pName, const std::string& pNs, const std::string& pDoc) {
    return "<tr>\r\n<td class=\"TblRow\">" + pName + "</td>\r\n<td class=\"TblRow\">" + pNs +
           "</td>\r\n<td class=\"TblRow\">" + pDoc + "</td>\r\n<td class=\"TblRow\"><a href=\"" + pPageAddress +
           "/" + pName + "\">" + pName + "</a></td>\r\n</tr>\r\n";
  };
  v += vRow("IVelmora", "urn:VelmoraIntf-IVelmora", "&nbsp;") + vRow("IWSDLPublish", "urn:VelmoraTypes", cPublishDoc);
  return v + "</table>\r\n</center>\r\n</body></html>\r\n";
}

const std::string cForbidden =
    "<html><head></head><body><h1>Forbidden (403)</h1><P>Access Forbidden</P></body></html>\r\n";

std::string FHeader(const std::string& pStatus, const std::string& pType, std::size_t pLength) {
  return "Status: " + pStatus + "\r\nContent-Type: " + pType + "\r\nContent-Length: " + std::to_string(pLength) +
         "\r\nContent:\r\n\r\n";
}

// --- running the executable ------------------------------------------------

struct TAnswer {
  std::string vHeader;
  std::string vBody;
};

class WSDLHTMLPublish : public ::testing::Test {
 protected:
  testsupport::TInProcessService vService;

  TAnswer FGet(const std::string& pPath, const std::string& pQuery = "", const std::string& pHost = "127.0.0.1",
               const std::string& pPort = "8080") {
    const testsupport::TInProcessAnswer r =
        vService.FRun({{"REQUEST_METHOD", "GET"}, {"SERVER_PROTOCOL", "HTTP/1.1"}, {"PATH_INFO", pPath},
                       {"QUERY_STRING", pQuery}, {"HTTP_HOST", pHost}, {"SERVER_PORT", pPort},
                       {"SCRIPT_NAME", "/velmora.cgi"}});
    EXPECT_EQ(r.vExitCode, 0) << r.vStderr;
    const std::size_t vEnd = r.vStdout.find("Content:\r\n\r\n");
    if (vEnd == std::string::npos) return {"", r.vStdout};
    return {r.vStdout.substr(0, vEnd + 12), r.vStdout.substr(vEnd + 12)};
  }

  void PExpectPage(const TAnswer& pAnswer, const std::string& pStatus, const std::string& pType,
                   const std::string& pBody, const std::string& pWhat) {
    EXPECT_EQ(pAnswer.vHeader, FHeader(pStatus, pType, pBody.size())) << pWhat;
    EXPECT_EQ(pAnswer.vBody, pBody) << pWhat;
  }
};

const std::string cBase = "http://127.0.0.1:8080/velmora.cgi";

TEST_F(WSDLHTMLPublish, ServiceInfoPageByQuery) {
  struct TCase {
    const char* vPath;
    const char* vQuery;
    std::string vBody;
  };
  const std::string vFull = FInfoPage(FFullList(cBase));
  const TCase cCases[] = {
      {"/", "", vFull},
      {"", "", vFull},
      {"/anything", "", vFull},
      {"/", "intf=IVelmora", FInfoPage(FVelmoraSelected(cBase))},
      {"/", "INTF=IVelmora", FInfoPage(FVelmoraSelected(cBase))},        // field names ignore case
      {"/", "intf=IVel%6Dora&x=a+b", FInfoPage(FVelmoraSelected(cBase))},  // decoded
      {"/", "intf=ivelmora", vFull},                                        // the value does not
      {"/", "intf=InquireSoap", vFull},
      {"/", "types=1", FInfoPage(FFullList(cBase), cTypesTable)},
      {"/", "types=yes", vFull},
      {"/", "types=1&intf=IVelmora", FInfoPage(FVelmoraSelected(cBase), cTypesTable)},
      // A bad escape ends the fields: those before it still count.
      {"/", "types=1&bad=%zz&intf=IVelmora", FInfoPage(FFullList(cBase), cTypesTable)},
      {"/", "intf=IVelmora&bad=%4", FInfoPage(FVelmoraSelected(cBase))},
      {"/", "bad=%G1&types=1", vFull},
  };
  for (const TCase& c : cCases) {
    PExpectPage(FGet(c.vPath, c.vQuery), "200 OK", "text/html", c.vBody, std::string(c.vPath) + "?" + c.vQuery);
  }
}

TEST_F(WSDLHTMLPublish, BaseUrlFromHostAndPort) {
  struct TCase {
    const char* vHost;
    const char* vPort;
    const char* vBase;
  };
  const TCase cCases[] = {
      {"shop", "80", "http://shop/velmora.cgi"},
      {"shop", "8080", "http://shop:8080/velmora.cgi"},
      {"shop:8080", "8080", "http://shop:8080/velmora.cgi"},
      {"shop:8081", "80", "http://shop:8081/velmora.cgi"},
      // Request text goes into the links escaped.
      {"x\"><b>", "80", "http://x&quot;&gt;&lt;b&gt;/velmora.cgi"},
  };
  for (const TCase& c : cCases) {
    PExpectPage(FGet("/", "", c.vHost, c.vPort), "200 OK", "text/html", FInfoPage(FFullList(c.vBase)), c.vHost);
    PExpectPage(FGet("/wsdl", "", c.vHost, c.vPort), "200 OK", "text/html",
                FListing(std::string(c.vBase) + "/wsdl"), c.vHost);
  }
}

TEST_F(WSDLHTMLPublish, PathsUnderWsdl) {
  struct TCase {
    const char* vPath;
    const char* vStatus;
    std::string vBody;
  };
  const std::string vNotFound =
      "<html><head></head><body><h1>Error Encountered</h1><P>Interface Nothing not found</P></body></html>\r\n";
  const TCase cCases[] = {
      {"/wsdl", "200 OK", FListing(cBase + "/wsdl")},
      {"/wsdl/", "200 OK", FListing(cBase + "/wsdl")},
      {"/wsdl/admin", "403 Forbidden", cForbidden},
      {"/wsdl/admin/", "403 Forbidden", cForbidden},
      {"/wsdl/admin/IVelmora", "403 Forbidden", cForbidden},
      {"/wsdl/Nothing", "200 OK", vNotFound},
      {"/wsdl/Nothing/", "200 OK", vNotFound},
      {"/wsdl/<i>x&y", "200 OK",
       "<html><head></head><body><h1>Error Encountered</h1><P>Interface &lt;i&gt;x&amp;y not found</P></body>"
       "</html>\r\n"},
  };
  for (const TCase& c : cCases) PExpectPage(FGet(c.vPath), c.vStatus, "text/html", c.vBody, c.vPath);

  // Nothing of the publisher's: an empty answer without a content type.
  for (const char* vPath : {"/wsdlx", "/WSDL", "/wsdl/a/b", "/Wsdl/IVelmora"}) {
    const TAnswer a = FGet(vPath);
    EXPECT_EQ(a.vHeader, "Status: 200 OK\r\nContent:\r\n\r\n") << vPath;
    EXPECT_EQ(a.vBody, "") << vPath;
  }
}

TEST_F(WSDLHTMLPublish, InspectionDocument) {
  const std::string vExpected =
      "inspection xmlns=\"http://schemas.xmlsoap.org/ws/2001/10/inspection/\"\n"
      "  service\n"
      "    abstract\n"
      "    name\n"
      "      \"IVelmora\"\n"
      "    description referencedNamespace=\"http://schemas.xmlsoap.org/wsdl/\" "
      "location=\"http://shop/velmora.cgi/wsdl/IVelmora\"\n"
      "  service\n"
      "    abstract\n"
      "      \"Lists all the PortTypes published by this Service\"\n"
      "    name\n"
      "      \"IWSDLPublish\"\n"
      "    description referencedNamespace=\"http://schemas.xmlsoap.org/wsdl/\" "
      "location=\"http://shop/velmora.cgi/wsdl/IWSDLPublish\"\n";
  for (const char* vPath : {"/inspection.wsil", "/INSPECTION.WSIL"}) {
    const TAnswer a = FGet(vPath, "", "shop", "80");
    EXPECT_EQ(a.vHeader, FHeader("200 OK", "text/xml", a.vBody.size())) << vPath;
    EXPECT_EQ(wsdltest::FXmlTree(a.vBody), vExpected) << a.vBody;
  }
}

// --- WSDL documents --------------------------------------------------------

std::string FSoapBodies(const std::string& pNs) {
  const std::string vBody = "soap:body use=\"encoded\" encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\" "
                            "namespace=\"" + pNs + "\"\n";
  return "      input\n        " + vBody + "      output\n        " + vBody;
}

std::string FRoot(const std::string& pName, const std::string& pNs1) {
  return "definitions xmlns=\"http://schemas.xmlsoap.org/wsdl/\" xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
         "name=\"" + pName + "service\" targetNamespace=\"http://tempuri.org/\" xmlns:tns=\"http://tempuri.org/\" "
         "xmlns:soap=\"http://schemas.xmlsoap.org/wsdl/soap/\" "
         "xmlns:soapenc=\"http://schemas.xmlsoap.org/soap/encoding/\" "
         "xmlns:mime=\"http://schemas.xmlsoap.org/wsdl/mime/\" xmlns:ns1=\"" + pNs1 + "\"\n";
}

struct TOp {
  std::string vName, vParam, vParamType, vReturnType;
};

std::string FBody(const std::string& pName, const std::string& pNs, const std::vector<TOp>& pOps,
                  const std::string& pAction, const std::string& pService) {
  std::string v;
  for (std::size_t i = 0; i < pOps.size(); ++i) {
    const TOp& o = pOps[i];
    const std::string n = o.vName + std::to_string(i);
    v += "  message name=\"" + n + "Request\"\n";
    if (!o.vParam.empty()) v += "    part name=\"" + o.vParam + "\" type=\"" + o.vParamType + "\"\n";
    v += "  message name=\"" + n + "Response\"\n    part name=\"return\" type=\"" + o.vReturnType + "\"\n";
  }
  v += "  portType name=\"" + pName + "\"\n";
  for (std::size_t i = 0; i < pOps.size(); ++i) {
    const std::string n = pOps[i].vName + std::to_string(i);
    v += "    operation name=\"" + pOps[i].vName + "\"\n      input message=\"tns:" + n +
         "Request\"\n      output message=\"tns:" + n + "Response\"\n";
  }
  v += "  binding name=\"" + pName + "binding\" type=\"tns:" + pName + "\"\n"
       "    soap:binding style=\"rpc\" transport=\"http://schemas.xmlsoap.org/soap/http\"\n";
  for (const TOp& o : pOps) {
    v += "    operation name=\"" + o.vName + "\"\n      soap:operation soapAction=\"" +
         (pAction.empty() ? pNs + "#" + o.vName : pAction) + "\" style=\"rpc\"\n" + FSoapBodies(pNs);
  }
  return v + "  service name=\"" + pName + "service\"\n" + pService;
}

std::string FDefaultPort(const std::string& pName, const std::string& pBase) {
  return "    port name=\"" + pName + "Port\" binding=\"tns:" + pName + "binding\"\n      soap:address location=\"" +
         pBase + "/soap/" + pName + "\"\n";
}

std::string FVelmoraTree(const std::string& pService) {
  const std::string k = "ns1:TChavePedido";
  return FRoot("IVelmora", "urn:uClassChavePedido") +
         "  types\n"
         "    xs:schema targetNamespace=\"urn:uClassChavePedido\" xmlns=\"urn:uClassChavePedido\"\n"
         "      xs:complexType name=\"TChavePedido\"\n"
         "        xs:sequence\n"
         "          xs:element name=\"CodEmpresa\" type=\"xs:string\"\n"
         "          xs:element name=\"CodPedido\" type=\"xs:string\"\n"
         "          xs:element name=\"TipoPedido\" type=\"xs:string\"\n" +
         FBody("IVelmora", "urn:VelmoraIntf-IVelmora",
               {{"FVerificaAtividade", "", "", "xs:boolean"},
                {"FRetornaPedido", "pChavePedido", k, "xs:string"},
                {"FRetornaPedidoItem", "pChavePedido", k, "xs:string"},
                {"FAtualizaStatusPedido", "pChavePedido", k, "xs:boolean"},
                {"FRetornaColConvenios", "pChavePedido", k, "xs:string"},
                {"FRetornaColFinancimentos", "pChavePedido", k, "xs:string"}},
               "", pService);
}

TEST_F(WSDLHTMLPublish, VelmoraWsdlWithTheDefaultPort) {
  const TAnswer a = FGet("/wsdl/IVelmora");
  EXPECT_EQ(a.vHeader, FHeader("200 OK", "text/xml", a.vBody.size()));
  ASSERT_GE(a.vBody.size(), 2u);
  EXPECT_EQ(a.vBody.substr(a.vBody.size() - 2), "\r\n");
  EXPECT_EQ(a.vBody.rfind("<?xml version=\"1.0\" encoding=\"utf-8\"?>", 0), 0u);
  std::string vWhy;
  EXPECT_TRUE(wsdltest::FNamespaceWellFormed(a.vBody, vWhy)) << vWhy;
  EXPECT_EQ(wsdltest::FXmlTree(a.vBody), FVelmoraTree(FDefaultPort("IVelmora", cBase)));
  // Any spelling of the name, and a trailing "/", give the same document.
  EXPECT_EQ(FGet("/wsdl/ivelmora").vBody, a.vBody);
  EXPECT_EQ(FGet("/wsdl/IVELMORA/").vBody, a.vBody);
}

TEST_F(WSDLHTMLPublish, PortsFromTheAdministrationFile) {
  vService.PSetFile("/opt/velmora/velmora_WSDLADMIN.INI",
                    "[IWSDLPublish]\r\nOther=http://elsewhere/x\r\n"
                    "[IVelmora]\r\nLojaCentro=http://centro.example/velmora.cgi/soap/IVelmora\r\n"
                    "LojaNorte = http://norte.example:8081/velmora.cgi/soap/IVelmora\r\n");
  const std::string vPorts =
      "    port name=\"LojaCentro\" binding=\"tns:IVelmorabinding\"\n"
      "      soap:address location=\"http://centro.example/velmora.cgi/soap/IVelmora\"\n"
      "    port name=\"LojaNorte\" binding=\"tns:IVelmorabinding\"\n"
      "      soap:address location=\"http://norte.example:8081/velmora.cgi/soap/IVelmora\"\n";
  EXPECT_EQ(wsdltest::FXmlTree(FGet("/wsdl/IVelmora").vBody), FVelmoraTree(vPorts));
  EXPECT_EQ(wsdltest::FXmlTree(FGet("/wsdl/ivelmora").vBody), FVelmoraTree(vPorts));
}

TEST_F(WSDLHTMLPublish, PublisherWsdl) {
  const TAnswer a = FGet("/wsdl/IWSDLPublish", "", "shop", "80");
  EXPECT_EQ(a.vHeader, FHeader("200 OK", "text/xml", a.vBody.size()));
  std::string vWhy;
  EXPECT_TRUE(wsdltest::FNamespaceWellFormed(a.vBody, vWhy)) << vWhy;
  const std::string vArray = "ns1:TWideStringDynArray";
  EXPECT_EQ(wsdltest::FXmlTree(a.vBody),
            FRoot("IWSDLPublish", "urn:VelmoraTypes") +
                "  types\n"
                "    xs:schema targetNamespace=\"urn:VelmoraTypes\" xmlns=\"urn:VelmoraTypes\"\n"
                "      xs:complexType name=\"TWideStringDynArray\"\n"
                "        xs:complexContent\n"
                "          xs:restriction base=\"soapenc:Array\"\n"
                "            xs:attribute ref=\"soapenc:arrayType\" n1:arrayType=\"xs:string[]\" "
                "xmlns:n1=\"http://schemas.xmlsoap.org/wsdl/\"\n" +
                FBody("IWSDLPublish", "urn:VelmoraTypes",
                      {{"GetPortTypeList", "", "", vArray},
                       {"GetWSDLForPortType", "PortType", "xs:string", "xs:string"},
                       {"GetTypeSystemsList", "", "", vArray},
                       {"GetXSDForTypeSystem", "TypeSystem", "xs:string", "xs:string"}},
                      "urn:VelmoraTypes-IWSDLPublish", FDefaultPort("IWSDLPublish", "http://shop/velmora.cgi")));
}

}  // namespace
