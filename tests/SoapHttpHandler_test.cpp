// The SOAP endpoint as the host calls it: interface selection, every fault
// of the request handling with its status, the exact bytes of answer and
// fault envelopes, the multipart binding and hostile inputs.
#include <gtest/gtest.h>

#include <memory>

#include "port/Env.h"
#include "port/MemEnv.h"
#include "support/ServiceRegistries.h"
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "data/uClassControle.h"
#include "port/Exception.h"
#include "soap/SoapHttpHandler.h"
#include "soap/VelmoraIntf.h"
#include "soap/WSDLPublishIntf.h"

namespace {

constexpr const char* cEnvOpen =
    "<?xml version=\"1.0\"?><SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
    "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
    "xmlns:SOAP-ENC=\"http://schemas.xmlsoap.org/soap/encoding/\">";

// An 8-bit (Windows-1252) order document with markup characters and Latin-1 letters.
const std::string cDocument =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><Pedido><Cliente>Jo\xE3o & Irm\xE3os <Ltda> \x80</Cliente></Pedido>";

// A database module that answers fixed values and records what it was given.
class TFixedModule : public data::TDMBancoDeDados {
 public:
  std::string FRetornaPedidoCabecalho(const data::TChavePedido* p) override { return FRecord("Cabecalho", p, vDocument); }
  std::string FRetornaPedidoItem(const data::TChavePedido* p) override { return FRecord("Item", p, "<ListaItem/>"); }
  bool FAtualizaStatusPedido(const data::TChavePedido* p) override { return !FRecord("Status", p, "").empty() || false; }
  std::string FRetornaColConvenios(const data::TChavePedido* p) override { return FRecord("Convenios", p, ""); }
  std::string FRetornaColFinancimentos(const data::TChavePedido* p) override {
    FRecord("Financimentos", p, "");
    throw port::Exception("Falha & <erro> na consulta");
  }

  std::string vDocument = cDocument;
  std::string vLastOperation;
  bool vLastHadKey = false;
  data::TChavePedido vLastKey;

 private:
  std::string FRecord(const char* pName, const data::TChavePedido* p, std::string pAnswer) {
    vLastOperation = pName;
    vLastHadKey = p != nullptr;
    if (p != nullptr) vLastKey = *p;
    return pAnswer;
  }
};

std::string FEnvelope(const std::string& pBody, const std::string& pHeader = "",
                      const std::string& pEnvelopeAttributes = "") {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
         "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
         "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"" +
         pEnvelopeAttributes + ">" + pHeader + "<soap:Body>" + pBody + "</soap:Body></soap:Envelope>";
}

std::string FKeyCall(const std::string& pOperation) {
  return "<ns:" + pOperation +
         " xmlns:ns=\"urn:VelmoraIntf-IVelmora\"><pChavePedido><CodEmpresa>1</CodEmpresa><CodPedido>42</CodPedido>"
         "<TipoPedido>V</TipoPedido></pChavePedido></ns:" + pOperation + ">";
}

class SoapHttpHandler : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sRegistries = std::make_unique<testsupport::TServiceRegistries>(); }
  static void TearDownTestSuite() { sRegistries.reset(); }
  static inline std::unique_ptr<testsupport::TServiceRegistries> sRegistries;
  void SetUp() override { data::vFireBird = &vModule; }
  void TearDown() override { data::vFireBird = nullptr; }

  static soap::TSoapHttpAnswer FPost(const std::string& pContent, const std::string& pAction,
                                     const std::string& pPath = "/soap", const std::string& pType = "text/xml") {
    return soap::FHandleSoapRequest(pPath, pType, pContent, pAction, {"", &port::FDefaultEnv()});
  }

  TFixedModule vModule;
};

// Text of the first node an XPath names in a parsed answer ("" when none).
std::string FXPath(const std::string& pXml, const std::string& pPath) {
  std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> vDoc(
      xmlReadMemory(pXml.data(), static_cast<int>(pXml.size()), nullptr, nullptr, XML_PARSE_NONET), xmlFreeDoc);
  if (!vDoc) return "<not parsed>";
  std::unique_ptr<xmlXPathContext, decltype(&xmlXPathFreeContext)> vCtx(xmlXPathNewContext(vDoc.get()),
                                                                         xmlXPathFreeContext);
  xmlXPathRegisterNs(vCtx.get(), BAD_CAST "e", BAD_CAST "http://schemas.xmlsoap.org/soap/envelope/");
  std::unique_ptr<xmlXPathObject, decltype(&xmlXPathFreeObject)> vResult(
      xmlXPathEvalExpression(BAD_CAST pPath.c_str(), vCtx.get()), xmlXPathFreeObject);
  if (!vResult || !vResult->nodesetval || vResult->nodesetval->nodeNr == 0) return "<none>";
  std::unique_ptr<xmlChar, decltype(xmlFree)> vText(xmlNodeGetContent(vResult->nodesetval->nodeTab[0]), xmlFree);
  return vText ? reinterpret_cast<const char*>(vText.get()) : "";
}

std::string FFaultString(const std::string& pAnswer) {
  return FXPath(pAnswer, "/e:Envelope/e:Body/e:Fault/faultstring");
}

TEST_F(SoapHttpHandler, SelectsTheInterfaceByActionOrPath) {
  const std::string vVelmora = FEnvelope(FKeyCall("FRetornaPedido"));
  const std::string vPublish = FEnvelope("<GetPortTypeList/>");
  struct TCase {
    const char* vAction;
    const char* vPath;
    const std::string& vBody;
    int vStatus;
    const char* vExpected;  // the answer's operation element, or the dispatcher's faultstring
  } vCases[] = {
      {"urn:VelmoraIntf-IVelmora#FRetornaPedido", "/soap", vVelmora, 200, "FRetornaPedidoResponse"},
      {"\"urn:VelmoraIntf-IVelmora#FRetornaPedido\"", "/soap", vVelmora, 200, "FRetornaPedidoResponse"},
      {"urn:VelmoraIntf-IVelmora", "/soap/anything", vVelmora, 200, "FRetornaPedidoResponse"},
      {"urn:VelmoraIntf-IVelmora#Anything", "/soap", vVelmora, 200, "FRetornaPedidoResponse"},
      {"", "/soap/IVelmora", vVelmora, 200, "FRetornaPedidoResponse"},
      {"\"\"", "/soap/ivelmora", vVelmora, 200, "FRetornaPedidoResponse"},
      {"urn:VelmoraTypes-IWSDLPublish", "/soap", vPublish, 200, "GetPortTypeListResponse"},
      {"", "/soap/IWSDLPublish", vPublish, 200, "GetPortTypeListResponse"},
      {"", "/soap", vVelmora, 500, "No interface  registered for URL '/soap'"},
      {"\"\"", "", vVelmora, 500, "No interface  registered for URL ''"},
      {"urn:velmoraintf-ivelmora#FRetornaPedido", "/soap/IVelmora", vVelmora, 500,
       "No interface  registered for soap action 'urn:velmoraintf-ivelmora#FRetornaPedido'"},
      {"\"", "/soap/IVelmora", vVelmora, 500, "No interface  registered for soap action '\"'"},
      {"#FRetornaPedido", "/soap/IVelmora", vVelmora, 500,
       "No interface  registered for soap action '#FRetornaPedido'"},
      {"", "/soap/InquireSoap", vVelmora, 500, "No interface  registered for URL '/soap/InquireSoap'"},
  };
  for (const TCase& c : vCases) {
    SCOPED_TRACE(std::string(c.vAction) + " " + c.vPath);
    const soap::TSoapHttpAnswer a = FPost(c.vBody, c.vAction, c.vPath);
    EXPECT_EQ(a.vStatusCode, c.vStatus);
    EXPECT_EQ(a.vContentType, "text/xml");
    if (c.vStatus == 200) {
      EXPECT_NE(a.vBody.find(std::string("NS1:") + c.vExpected), std::string::npos) << a.vBody;
    } else {
      EXPECT_EQ(FFaultString(a.vBody), c.vExpected);
    }
  }
}

TEST_F(SoapHttpHandler, TheBodyDecidesTheOperationWhateverTheAction) {
  const auto a = FPost(FEnvelope(FKeyCall("FRetornaPedidoItem")), "urn:VelmoraIntf-IVelmora#FRetornaPedido");
  EXPECT_EQ(a.vStatusCode, 200);
  EXPECT_EQ(vModule.vLastOperation, "Item");
  // Declared case in the answer whatever case the request used.
  const auto b = FPost(FEnvelope("<x:fretornapedido xmlns:x=\"urn:other\"/>"), "", "/soap/IVelmora");
  EXPECT_NE(b.vBody.find("<NS1:FRetornaPedidoResponse "), std::string::npos) << b.vBody;
  EXPECT_FALSE(vModule.vLastHadKey);
}

TEST_F(SoapHttpHandler, EveryOperationPassesTheKeyToItsDataOperation) {
  struct TCase {
    const char* vOperation;
    const char* vDataOperation;
    const char* vReturn;
  } vCases[] = {
      {"FRetornaPedido", "Cabecalho", nullptr},
      {"FRetornaPedidoItem", "Item", "<return xsi:type=\"xsd:string\">&lt;ListaItem/&gt;</return>"},
      {"FAtualizaStatusPedido", "Status", "<return xsi:type=\"xsd:boolean\">false</return>"},
      {"FRetornaColConvenios", "Convenios", "<return xsi:type=\"xsd:string\"/>"},
  };
  for (const TCase& c : vCases) {
    SCOPED_TRACE(c.vOperation);
    vModule.vLastOperation.clear();
    const auto a = FPost(FEnvelope(FKeyCall(c.vOperation)), "", "/soap/IVelmora");
    EXPECT_EQ(a.vStatusCode, 200);
    EXPECT_EQ(vModule.vLastOperation, c.vDataOperation);
    ASSERT_TRUE(vModule.vLastHadKey);
    EXPECT_EQ(vModule.vLastKey.CodEmpresa, "1");
    EXPECT_EQ(vModule.vLastKey.CodPedido, "42");
    EXPECT_EQ(vModule.vLastKey.TipoPedido, "V");
    if (c.vReturn != nullptr) {
      EXPECT_NE(a.vBody.find(c.vReturn), std::string::npos) << a.vBody;
    }
  }
}

TEST_F(SoapHttpHandler, AnswersFRetornaPedidoWithTheDocumentAsEscapedText) {
  const auto a = FPost(FEnvelope(FKeyCall("FRetornaPedido")), "urn:VelmoraIntf-IVelmora#FRetornaPedido");
  EXPECT_EQ(a.vStatusCode, 200);
  EXPECT_EQ(a.vContentType, "text/xml");
  EXPECT_EQ(a.vContentVersion, "");
  EXPECT_EQ(a.vBody, std::string(cEnvOpen) +
                         "<SOAP-ENV:Body SOAP-ENV:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\">"
                         "<NS1:FRetornaPedidoResponse xmlns:NS1=\"urn:VelmoraIntf-IVelmora\">"
                         "<return xsi:type=\"xsd:string\">&lt;?xml version=\"1.0\" encoding=\"ISO-8859-1\"?&gt;"
                         "&lt;Pedido&gt;&lt;Cliente&gt;Jo\xC3\xA3o &amp; Irm\xC3\xA3os &lt;Ltda&gt; \xE2\x82\xAC"
                         "&lt;/Cliente&gt;&lt;/Pedido&gt;</return></NS1:FRetornaPedidoResponse></SOAP-ENV:Body>"
                         "</SOAP-ENV:Envelope>");
  // A client parsing the answer gets exactly the document's characters.
  EXPECT_EQ(FXPath(a.vBody, "/e:Envelope/e:Body/*/return"),
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><Pedido><Cliente>Jo\xC3\xA3o & Irm\xC3\xA3os <Ltda> "
            "\xE2\x82\xAC</Cliente></Pedido>");
}

TEST_F(SoapHttpHandler, CarriageReturnsAndForbiddenCharactersSurviveAsWellFormedText) {
  vModule.vDocument = "a\r\nb\x01" "c";
  const auto a = FPost(FEnvelope(FKeyCall("FRetornaPedido")), "", "/soap/IVelmora");
  EXPECT_NE(a.vBody.find(">a&#13;\nb?c</return>"), std::string::npos) << a.vBody;
  EXPECT_EQ(FXPath(a.vBody, "/e:Envelope/e:Body/*/return"), "a\r\nb?c");
}

TEST_F(SoapHttpHandler, AnswersFVerificaAtividadeWithoutTheDatabase) {
  data::vFireBird = nullptr;
  const auto a = FPost(FEnvelope("<FVerificaAtividade/>"), "urn:VelmoraIntf-IVelmora#FVerificaAtividade");
  EXPECT_EQ(a.vStatusCode, 200);
  EXPECT_EQ(a.vBody, std::string(cEnvOpen) +
                         "<SOAP-ENV:Body SOAP-ENV:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\">"
                         "<NS1:FVerificaAtividadeResponse xmlns:NS1=\"urn:VelmoraIntf-IVelmora\">"
                         "<return xsi:type=\"xsd:boolean\">true</return></NS1:FVerificaAtividadeResponse>"
                         "</SOAP-ENV:Body></SOAP-ENV:Envelope>");
}

TEST_F(SoapHttpHandler, WritesTheFaultEnvelopeOfAFailingOperationExactly) {
  const auto a = FPost(FEnvelope(FKeyCall("FRetornaColFinancimentos")), "", "/soap/IVelmora");
  EXPECT_EQ(a.vStatusCode, 200);
  EXPECT_EQ(a.vContentType, "text/xml");
  EXPECT_EQ(a.vBody, std::string(cEnvOpen) +
                         "<SOAP-ENV:Body><SOAP-ENV:Fault><faultactor/><faultcode>SOAP-ENV:Server</faultcode>"
                         "<faultstring>Falha &amp; &lt;erro&gt; na consulta</faultstring></SOAP-ENV:Fault>"
                         "</SOAP-ENV:Body></SOAP-ENV:Envelope>");
}

TEST_F(SoapHttpHandler, WritesTheDispatcherFaultTextExactly) {
  const auto a = FPost(FEnvelope(FKeyCall("FRetornaPedido")), "urn:a&b<c>\xE9");
  EXPECT_EQ(a.vStatusCode, 500);
  EXPECT_EQ(a.vContentType, "text/xml");
  EXPECT_EQ(a.vBody,
            "<?xml version=\"1.0\" encoding='UTF-8'?> <SOAP-ENV:Envelope "
            "xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" ><SOAP-ENV:Body> <SOAP-ENV:Fault> "
            "<faultcode>SOAP-ENV:Server</faultcode><faultstring>No interface  registered for soap action "
            "'urn:a&amp;b&lt;c>\xC3\xA9'</faultstring></SOAP-ENV:Fault></SOAP-ENV:Body></SOAP-ENV:Envelope>");
}

TEST_F(SoapHttpHandler, WritesTheMustUnderstandFaultExactly) {
  const auto a = FPost(FEnvelope(FKeyCall("FRetornaPedido"),
                                 "<soap:Header><t:Trans xmlns:t=\"urn:t\" mustUnderstand=\"1\">5</t:Trans></soap:Header>"),
                       "", "/soap/IVelmora");
  EXPECT_EQ(a.vStatusCode, 200);
  EXPECT_EQ(a.vBody, std::string(cEnvOpen) +
                         "<SOAP-ENV:Body><SOAP-ENV:Fault><faultactor/><faultcode>SOAP-ENV:MustUnderstand</faultcode>"
                         "<faultstring>Soap header Trans with attribute 'mustUnderstand' set to true was not "
                         "handled</faultstring><detail><NS1:ERemotableException xmlns:NS1=\"urn:InvokeRegistry\" "
                         "xsi:type=\"NS1:ERemotableException\"/></detail></SOAP-ENV:Fault></SOAP-ENV:Body>"
                         "</SOAP-ENV:Envelope>");
  EXPECT_EQ(vModule.vLastOperation, "");  // nothing ran
}

TEST_F(SoapHttpHandler, AnswersEveryReadingFailureWithItsFault) {
  const std::string vKey = FKeyCall("FRetornaPedido");
  const std::string vEnc = "http://schemas.xmlsoap.org/soap/encoding/";
  struct TCase {
    const char* vName;
    std::string vContent;
    std::string vFaultString;
  } vCases[] = {
      {"not the SOAP envelope", "<Envelope><Body/></Envelope>", "Invalid SOAP request"},
      {"envelope without children", "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"/>",
       "Invalid SOAP request"},
      {"two bodies",
       "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Body>" + vKey +
           "</s:Body><s:Body/></s:Envelope>",
       "Multiple body elements not supported"},
      {"envelope encodingStyle", FEnvelope(vKey, "", " soap:encodingStyle=\"urn:other\""),
       "Unsupported SOAP encodingStyle urn:other"},
      {"operation encodingStyle",
       FEnvelope("<FRetornaPedido soap:encodingStyle=\"urn:op\"><pChavePedido/></FRetornaPedido>"),
       "Unsupported SOAP encodingStyle urn:op"},
      {"parameter encodingStyle",
       FEnvelope("<FRetornaPedido><pChavePedido soap:encodingStyle=\"urn:par\"/></FRetornaPedido>"),
       "Unsupported SOAP encodingStyle urn:par"},
      {"unknown operation", FEnvelope("<FRetornaPedidos/>"),
       "No method named 'FRetornaPedidos' is supported by interface 'IVelmora'"},
      {"no Body",
       "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Header/></s:Envelope>",
       "Invalid SOAP request: the envelope has no Body"},
      {"empty Body", FEnvelope(" "), "Invalid SOAP request: the Body names no operation"},
      {"mismatched tags", "<?xml version=\"1.0\"?>\n<a>\n  <b></c></a>",
       "Opening and ending tag mismatch: b line 3 and c\r\nLine: 3\r\n  <b></c></a>"},
      {"empty content", "", "Document is empty\r\nLine: 1\r\n"},
      {"truncated body", FEnvelope(vKey).substr(0, FEnvelope(vKey).size() - 28),
       "Premature end of data in tag Body line 1\r\nLine: 1\r\n" + FEnvelope(vKey).substr(0, 40)},
  };
  for (const TCase& c : vCases) {
    SCOPED_TRACE(c.vName);
    const auto a = FPost(c.vContent, "", "/soap/IVelmora");
    EXPECT_EQ(a.vStatusCode, 200);
    EXPECT_EQ(FXPath(a.vBody, "/e:Envelope/e:Body/e:Fault/faultcode"), "SOAP-ENV:Server");
    EXPECT_EQ(FFaultString(a.vBody), c.vFaultString);
  }
  // The entries that do not demand to be understood are ignored.
  const auto b = FPost(FEnvelope(vKey, "<soap:Header><t:A xmlns:t=\"urn:t\" soap:mustUnderstand=\"1\"/>"
                                       "<t:B xmlns:t=\"urn:t\" mustUnderstand=\"0\"/></soap:Header>"),
                       "", "/soap/IVelmora");
  EXPECT_NE(b.vBody.find("NS1:FRetornaPedidoResponse"), std::string::npos) << b.vBody;
  // Encoding style of the SOAP encoding is accepted everywhere.
  const auto c = FPost(FEnvelope("<FRetornaPedido soap:encodingStyle=\"" + vEnc + "\"/>", "",
                                 " soap:encodingStyle=\"" + vEnc + "\""),
                       "", "/soap/IVelmora");
  EXPECT_NE(c.vBody.find("NS1:FRetornaPedidoResponse"), std::string::npos) << c.vBody;
}

TEST_F(SoapHttpHandler, AnswersThePublisherListsFromTheRegistries) {
  const auto a = FPost(FEnvelope("<GetPortTypeList/>"), "\"urn:VelmoraTypes-IWSDLPublish\"");
  EXPECT_NE(a.vBody.find("<NS1:GetPortTypeListResponse xmlns:NS1=\"urn:VelmoraTypes\"><return "
                         "xsi:type=\"SOAP-ENC:Array\" SOAP-ENC:arrayType=\"xsd:string[2]\"><item>IWSDLPublish</item>"
                         "<item>IVelmora</item></return></NS1:GetPortTypeListResponse>"),
            std::string::npos)
      << a.vBody;
  const auto b = FPost(FEnvelope("<GetTypeSystemsList/>"), "urn:VelmoraTypes-IWSDLPublish");
  EXPECT_NE(b.vBody.find("<item>urn:uClassChavePedido</item>"), std::string::npos) << b.vBody;
  const auto c = FPost(FEnvelope("<GetWSDLForPortType><PortType>IVelmora</PortType></GetWSDLForPortType>"),
                       "urn:VelmoraTypes-IWSDLPublish");
  EXPECT_NE(c.vBody.find("&lt;definitions xmlns=\"http://schemas.xmlsoap.org/wsdl/\""), std::string::npos)
      << c.vBody;
  soap::PSetWSDLForPortTypeHandler([](const std::string& p) { return "<wsdl for=\"" + p + "\"/>"; });
  const auto d = FPost(FEnvelope("<GetWSDLForPortType><porttype>IVelmora</porttype></GetWSDLForPortType>"),
                       "urn:VelmoraTypes-IWSDLPublish");
  soap::PSetWSDLForPortTypeHandler(nullptr);
  EXPECT_NE(d.vBody.find("<return xsi:type=\"xsd:string\">&lt;wsdl for=\"IVelmora\"/&gt;</return>"),
            std::string::npos)
      << d.vBody;
}

// --- multipart/related ---------------------------------------------------

class SoapMultipart : public SoapHttpHandler {
 protected:
  void SetUp() override {
    SoapHttpHandler::SetUp();
    vTmp = std::filesystem::temp_directory_path() / ("velmora-soap-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(vTmp);
    const char* vOld = std::getenv("TMPDIR");
    vOldTmp = vOld ? vOld : "";
    ::setenv("TMPDIR", vTmp.c_str(), 1);
  }
  void TearDown() override {
    if (vOldTmp.empty()) ::unsetenv("TMPDIR"); else ::setenv("TMPDIR", vOldTmp.c_str(), 1);
    std::filesystem::remove_all(vTmp);
    SoapHttpHandler::TearDown();
  }
  [[nodiscard]] bool FTmpEmpty() const { return std::filesystem::is_empty(vTmp); }

  static std::string FMultipart(const std::string& pEnvelope) {
    return "preamble\r\n--XyZ\r\nContent-Type: text/xml\r\nContent-ID: <root>\r\n\r\n" + pEnvelope +
           "\r\n--XyZ\r\nContent-Type: application/octet-stream\r\n\r\nattached bytes\r\n--XyZ--\r\n";
  }

  std::filesystem::path vTmp;
  std::string vOldTmp;
};

constexpr const char* cMultipartType = "multipart/related; type=\"text/xml\"; boundary=\"XyZ\"; start=\"<root>\"";

TEST_F(SoapMultipart, ASuccessfulCallAnswersInPlainXmlAndLeavesNoFiles) {
  const auto a = FPost(FMultipart(FEnvelope(FKeyCall("FRetornaPedidoItem"))), "", "/soap/IVelmora", cMultipartType);
  EXPECT_EQ(a.vStatusCode, 200);
  EXPECT_EQ(a.vContentType, "text/xml");
  EXPECT_EQ(a.vContentVersion, "");
  EXPECT_EQ(vModule.vLastOperation, "Item");
  EXPECT_EQ(vModule.vLastKey.CodPedido, "42");
  EXPECT_TRUE(FTmpEmpty());
  // An operation's own error is answered in plain XML too.
  const auto b = FPost(FMultipart(FEnvelope(FKeyCall("FRetornaColFinancimentos"))), "", "/soap/IVelmora",
                       cMultipartType);
  EXPECT_EQ(b.vContentType, "text/xml");
  EXPECT_EQ(FFaultString(b.vBody), "Falha & <erro> na consulta");
}

// The attachments' private directory and files come from the request's
// environment: made there for the call, gone with it; a directory the
// environment cannot make is a fault of the call.
TEST_F(SoapMultipart, AttachmentsLiveInTheRequestsEnvironment) {
  port::TMemEnv vEnv;
  const std::string vContent = FMultipart(FEnvelope(FKeyCall("FRetornaPedidoItem")));
  const auto a = soap::FHandleSoapRequest("/soap/IVelmora", cMultipartType, vContent, "", {"", &vEnv});
  EXPECT_EQ(a.vStatusCode, 200);
  EXPECT_EQ(vModule.vLastOperation, "Item");
  EXPECT_FALSE(vEnv.FIsDirectory("/tmp/velmora-mime-1")) << "removed after the call";
  EXPECT_EQ(vEnv.FFile("/tmp/velmora-mime-1/part-2"), "");
  EXPECT_TRUE(FTmpEmpty()) << "nothing in the real temporary directory";

  vEnv.PSetDirectoriesFail(true);
  const auto b = soap::FHandleSoapRequest("/soap/IVelmora", cMultipartType, vContent, "", {"", &vEnv});
  EXPECT_EQ(b.vContentVersion, "MIME-Version: 1.0") << "a multipart fault, as for any reading failure";
  EXPECT_NE(b.vBody.find("<faultstring>Cannot create a directory for the attachments of the request</faultstring>"),
            std::string::npos)
      << b.vBody;
}

TEST_F(SoapMultipart, AReadingFailureAnswersWithAMultipartFault) {
  const auto a = FPost(FMultipart(FEnvelope("<Nothing/>")), "", "/soap/IVelmora", cMultipartType);
  EXPECT_EQ(a.vStatusCode, 200);
  EXPECT_EQ(a.vContentType,
            "multipart/related; boundary=MIME_boundary_velmora_3f9a1c; start=\"<velmora-soap-envelope>\"");
  EXPECT_EQ(a.vContentVersion, "MIME-Version: 1.0");
  const std::string vHead =
      "--MIME_boundary_velmora_3f9a1c\r\nContent-Type: text/xml\r\nContent-ID: <velmora-soap-envelope>\r\n\r\n";
  ASSERT_EQ(a.vBody.substr(0, vHead.size()), vHead);
  const std::string vTail = "\r\n--MIME_boundary_velmora_3f9a1c--\r\n";
  ASSERT_EQ(a.vBody.substr(a.vBody.size() - vTail.size()), vTail);
  EXPECT_EQ(FFaultString(a.vBody.substr(vHead.size(), a.vBody.size() - vHead.size() - vTail.size())),
            "No method named 'Nothing' is supported by interface 'IVelmora'");
  EXPECT_TRUE(FTmpEmpty());

  const auto b = FPost(FMultipart(FEnvelope(FKeyCall("FRetornaPedido"))), "", "/soap/IVelmora", "multipart/related");
  EXPECT_EQ(b.vContentVersion, "MIME-Version: 1.0");
  EXPECT_NE(b.vBody.find("Multipart request without boundary"), std::string::npos) << b.vBody;
  // Case counts: this one is no multipart request, so its content is the envelope.
  const auto c = FPost(FMultipart(FEnvelope(FKeyCall("FRetornaPedido"))), "", "/soap/IVelmora", "Multipart/Related");
  EXPECT_EQ(c.vContentType, "text/xml");
  EXPECT_NE(FFaultString(c.vBody).find("Start tag expected"), std::string::npos) << c.vBody;
}

TEST_F(SoapMultipart, TheDispatcherFaultIsWrappedAsText) {
  const auto a = FPost(FMultipart(FEnvelope(FKeyCall("FRetornaPedido"))), "", "/soap", cMultipartType);
  EXPECT_EQ(a.vStatusCode, 500);
  EXPECT_EQ(a.vContentVersion, "MIME-Version: 1.0");
  const std::string vFault =
      "<?xml version=\"1.0\" encoding='UTF-8'?> <SOAP-ENV:Envelope "
      "xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" ><SOAP-ENV:Body> <SOAP-ENV:Fault> "
      "<faultcode>SOAP-ENV:Server</faultcode><faultstring>No interface  registered for URL '/soap'</faultstring>"
      "</SOAP-ENV:Fault></SOAP-ENV:Body></SOAP-ENV:Envelope>";
  EXPECT_EQ(a.vBody, "--MIME_boundary_velmora_3f9a1c\r\nContent-Type: text/xml\r\nContent-ID: "
                     "<velmora-soap-envelope>\r\nContent-Location: velmora-soap-envelope\r\nContent-Length: " +
                         std::to_string(vFault.size()) + "\r\n\r\n" + vFault +
                         "\r\n\r\n--MIME_boundary_velmora_3f9a1c");
}

// --- hostile input -------------------------------------------------------

TEST_F(SoapHttpHandler, HostileDocumentsGetAFaultQuicklyAndDoNoHarm) {
  const std::filesystem::path vSecret =
      std::filesystem::temp_directory_path() / ("velmora-secret-" + std::to_string(::getpid()));
  std::ofstream(vSecret) << "TOP-SECRET-CONTENT";
  const std::string vDoctype = "Invalid SOAP request: a document type declaration is not allowed";

  std::string vLaughs = "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\">";
  vLaughs += "<!ENTITY lol1 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">";
  for (int i = 2; i <= 9; ++i) {
    vLaughs += "<!ENTITY lol" + std::to_string(i) + " \"";
    for (int j = 0; j < 10; ++j) vLaughs += "&lol" + std::to_string(i - 1) + ";";
    vLaughs += "\">";
  }
  vLaughs += "]>" + FEnvelope("<FRetornaPedido><pChavePedido><CodEmpresa>&lol9;</CodEmpresa></pChavePedido>"
                              "</FRetornaPedido>");
  std::string vDeep = "<?xml version=\"1.0\"?>";
  for (int i = 0; i < 100000; ++i) vDeep += "<a>";
  std::string vWide = FEnvelope("<FRetornaPedido><pChavePedido><CodEmpresa").substr(0);
  {
    std::string vAttrs;
    for (int i = 0; i < 100000; ++i) vAttrs += " a" + std::to_string(i) + "=\"1\"";
    vWide = FEnvelope("<FRetornaPedido" + vAttrs + "/>");
  }
  std::string vNestedKey = "<FRetornaPedido><pChavePedido><CodEmpresa>";
  for (int i = 0; i < 250; ++i) vNestedKey += "<b>";
  for (int i = 0; i < 250; ++i) vNestedKey += "</b>";
  vNestedKey += "</CodEmpresa></pChavePedido></FRetornaPedido>";

  struct TCase {
    const char* vName;
    std::string vContent;
    std::string vFaultPrefix;
  } vCases[] = {
      {"external entity naming a local file",
       "<?xml version=\"1.0\"?><!DOCTYPE e [<!ENTITY x SYSTEM \"file://" + vSecret.string() + "\">]>" +
           FEnvelope("<FRetornaPedido><pChavePedido><CodEmpresa>&x;</CodEmpresa></pChavePedido></FRetornaPedido>"),
       vDoctype},
      {"parameter entity from the network",
       "<?xml version=\"1.0\"?><!DOCTYPE e [<!ENTITY % p SYSTEM \"http://192.0.2.1/x.dtd\"> %p;]>" +
           FEnvelope("<FVerificaAtividade/>"),
       vDoctype},
      {"DTD from the network",
       "<?xml version=\"1.0\"?><!DOCTYPE e SYSTEM \"http://192.0.2.1/e.dtd\">" + FEnvelope("<FVerificaAtividade/>"),
       vDoctype},
      {"billion laughs", vLaughs, vDoctype},
      {"undeclared entity", FEnvelope("<FRetornaPedido><pChavePedido><CodEmpresa>&x;</CodEmpresa></pChavePedido></FRetornaPedido>"),
       "Entity 'x' not defined\r\nLine: 1\r\n"},
      {"100,000 nested elements", vDeep, "Excessive depth in document: 256 use XML_PARSE_HUGE option\r\nLine: 1\r\n"},
      {"100,000 attributes", vWide, "Invalid SOAP request: too many attributes on one element"},
      {"invalid UTF-8", FEnvelope("<FRetornaPedido><pChavePedido><CodEmpresa>\xFF\xFE</CodEmpresa></pChavePedido></FRetornaPedido>"),
       "Input is not proper UTF-8"},
      {"truncated UTF-8 sequence", FEnvelope("<FRetornaPedido>\xC3"), "Input is not proper UTF-8"},
  };
  for (const TCase& c : vCases) {
    SCOPED_TRACE(c.vName);
    vModule.vLastOperation.clear();
    const auto vStart = std::chrono::steady_clock::now();
    const auto a = FPost(c.vContent, "", "/soap/IVelmora");
    const auto vElapsed = std::chrono::steady_clock::now() - vStart;
    EXPECT_LT(vElapsed, std::chrono::seconds(1)) << std::chrono::duration_cast<std::chrono::milliseconds>(vElapsed).count();
    EXPECT_EQ(a.vStatusCode, 200);
    const std::string vFault = FFaultString(a.vBody);
    EXPECT_EQ(vFault.substr(0, c.vFaultPrefix.size()), c.vFaultPrefix) << vFault;
    EXPECT_EQ(a.vBody.find("TOP-SECRET"), std::string::npos);
    EXPECT_EQ(vModule.vLastOperation, "");
  }
  std::filesystem::remove(vSecret);

  // Deep markup inside a property stays within the bound and is carried as text.
  const auto b = FPost(FEnvelope(vNestedKey), "", "/soap/IVelmora");
  EXPECT_EQ(vModule.vLastOperation, "Cabecalho");
  EXPECT_EQ(vModule.vLastKey.CodEmpresa.substr(0, 6), "<b><b>");
}

}  // namespace
