// Hostile and broken requests against the real executable run as a CGI
// over the demo store database: entity and DTD tricks, documents built to
// exhaust the parser, broken encodings, lying content lengths, malformed
// multipart messages, reference games, oversized and injected key values,
// script in paths and queries.
//
// Every row must get its expected answer within 1 s of CPU (a few seconds
// of wall clock), every XML answer must be well-formed, and the run may
// write nothing but the trace log: the installation directory is listed
// before and after, and TMPDIR points at a private directory that must be
// empty again afterwards.
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <sys/resource.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <string>

#include "e2e/LighttpdFixture.h"
#include "e2e/ProcessRunner.h"
#include "support/TestText.h"

namespace {

namespace fs = std::filesystem;

constexpr double cMaxCpuSeconds = 1.0;
constexpr double cMaxWallSeconds = 5.0;
constexpr const char* cDoctypeFault = "Invalid SOAP request: a document type declaration is not allowed";

std::string FEnvelope(std::string_view pOperation, std::string_view pParameters = {}) {
  return e2e::FSoapCall(pOperation, pParameters);
}

std::string FKey(std::string_view pEmpresa, std::string_view pPedido, std::string_view pTipo = "P") {
  return "<pChavePedido><CodEmpresa>" + std::string(pEmpresa) + "</CodEmpresa><CodPedido>" + std::string(pPedido) +
         "</CodPedido><TipoPedido>" + std::string(pTipo) + "</TipoPedido></pChavePedido>";
}

// An envelope with pPrologue in front of the document element.
std::string FWithPrologue(std::string_view pPrologue, std::string_view pBodyExtra = {}) {
  std::string vEnvelope = FEnvelope("FVerificaAtividade", pBodyExtra);
  const std::size_t vRoot = vEnvelope.find("<SOAP-ENV:Envelope");
  return vEnvelope.substr(0, vRoot) + std::string(pPrologue) + vEnvelope.substr(vRoot);
}

std::string FNested(int pDepth) {
  std::string vText;
  vText.reserve(static_cast<std::size_t>(pDepth) * 7);
  for (int i = 0; i < pDepth; ++i) vText += "<a>";
  for (int i = 0; i < pDepth; ++i) vText += "</a>";
  return vText;
}

// pCount key elements, each with its own id and an href to the next.
std::string FSiblings(int pCount) {
  std::string vText;
  for (int i = 0; i < pCount; ++i)
    vText += "<pChavePedido id=\"" + std::to_string(i) + "\" href=\"#" + std::to_string(i + 1) + "\"/>";
  return vText;
}

std::string FManyAttributes(int pCount) {
  std::string vText = "<pChavePedido";
  for (int i = 0; i < pCount; ++i) vText += " a" + std::to_string(i) + "=\"x\"";
  return vText + "/>";
}

std::string FMultipart(std::string_view pBoundary, const std::string& pEnvelope, int pAttachments,
                       std::string_view pAttachmentHeader = "Content-ID: <att>") {
  std::string vText = "--" + std::string(pBoundary) + "\r\nContent-Type: text/xml\r\nContent-ID: <root>\r\n\r\n" +
                      pEnvelope + "\r\n";
  for (int i = 0; i < pAttachments; ++i)
    vText += "--" + std::string(pBoundary) + "\r\n" + std::string(pAttachmentHeader) + "\r\n\r\nDATA" +
             std::to_string(i) + "\r\n";
  return vText + "--" + std::string(pBoundary) + "--\r\n";
}

std::string FUtf16Le(const std::string& pAscii) {
  std::string vText = "\xFF\xFE";
  for (char c : pAscii) {
    vText += c;
    vText += '\0';
  }
  return vText;
}

std::string FReplace(std::string pText, std::string_view pFrom, std::string_view pTo) {
  const std::size_t vPos = pText.find(pFrom);
  if (vPos != std::string::npos) pText.replace(vPos, pFrom.size(), pTo);
  return pText;
}

// Every file and directory below pRoot (relative names), minus pSkip.
std::set<std::string> FListing(const std::string& pRoot, const std::string& pSkip = {}) {
  std::set<std::string> vNames;
  for (const auto& vEntry : fs::recursive_directory_iterator(pRoot)) {
    const std::string vName = fs::relative(vEntry.path(), pRoot).string();
    if (!pSkip.empty() && (vName == pSkip || vName.rfind(pSkip + "/", 0) == 0)) continue;
    vNames.insert(vName);
  }
  return vNames;
}

double FChildCpuSeconds() {
  rusage vUsage{};
  getrusage(RUSAGE_CHILDREN, &vUsage);
  return static_cast<double>(vUsage.ru_utime.tv_sec + vUsage.ru_stime.tv_sec) +
         static_cast<double>(vUsage.ru_utime.tv_usec + vUsage.ru_stime.tv_usec) / 1e6;
}


struct TAnswer {
  std::string vStatus;  // the Status: line's value
  std::string vHeader;
  std::string vBody;
};

TAnswer FSplit(const std::string& pOut) {
  TAnswer vAnswer;
  std::size_t vEnd = pOut.find("\r\n\r\n");
  if (vEnd == std::string::npos) {
    vAnswer.vBody = pOut;
    return vAnswer;
  }
  vAnswer.vHeader = pOut.substr(0, vEnd + 2);
  vAnswer.vBody = pOut.substr(vEnd + 4);
  if (vAnswer.vHeader.rfind("Status: ", 0) == 0)
    vAnswer.vStatus = vAnswer.vHeader.substr(8, vAnswer.vHeader.find("\r\n") - 8);
  return vAnswer;
}

struct TCase {
  const char* vName;
  std::string vMethod = "POST";
  std::string vPath = "/soap/IVelmora";
  std::string vQuery;
  std::string vContentType = "text/xml; charset=utf-8";
  std::string vContent;
  // CONTENT_LENGTH as sent; empty: the content's length.
  std::string vContentLength;
  e2e::TEnvironment vExtra;
  std::string vStatus;            // expected Status: line value
  std::string vExpected;          // a substring the body must hold
  std::string vForbidden;         // a substring the body must not hold
};

class BadInput : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    vDatabaseDir = new e2e::TTempDir();
    vDatabase = vDatabaseDir->FPath() + "/demo.fdb";
    if (!e2e::FCreateDemoDatabase(vDatabase)) vDatabase.clear();
  }
  static void TearDownTestSuite() {
    delete vDatabaseDir;
    vDatabaseDir = nullptr;
  }

  void PRun(const TCase& c) {
    SCOPED_TRACE(c.vName);
    e2e::TServiceDir vDir(vDatabase);
    e2e::TTempDir vScratch;
    const std::string vTmp = vScratch.FPath() + "/tmp/a/b";
    fs::create_directories(vTmp);
    const auto vDirBefore = FListing(vDir.FPath(), "log");
    const auto vScratchBefore = FListing(vScratch.FPath());

    e2e::TEnvironment vVars = {{"REQUEST_METHOD", c.vMethod},     {"SERVER_PROTOCOL", "HTTP/1.1"},
                               {"PATH_INFO", c.vPath},            {"QUERY_STRING", c.vQuery},
                               {"SCRIPT_NAME", "/velmora.cgi"},   {"HTTP_HOST", "127.0.0.1:8080"},
                               {"SERVER_PORT", "8080"},           {"TMPDIR", vTmp},
                               {"CONTENT_TYPE", c.vContentType},
                               {"CONTENT_LENGTH", c.vContentLength.empty() ? std::to_string(c.vContent.size())
                                                                           : c.vContentLength}};
    for (const auto& v : c.vExtra) vVars.push_back(v);

    const double vCpuBefore = FChildCpuSeconds();
    const auto vStart = std::chrono::steady_clock::now();
    const e2e::TProcessResult r = vDir.FRunCgi(vVars, c.vContent);
    const double vWall = std::chrono::duration<double>(std::chrono::steady_clock::now() - vStart).count();
    const double vCpu = FChildCpuSeconds() - vCpuBefore;

    EXPECT_EQ(r.vExitCode, 0) << r.vStderr;
    EXPECT_FALSE(r.vTimedOut);
    EXPECT_LE(vCpu, cMaxCpuSeconds);
    EXPECT_LE(vWall, cMaxWallSeconds);
    const TAnswer a = FSplit(r.vStdout);
    EXPECT_EQ(a.vStatus, c.vStatus) << a.vHeader;
    EXPECT_NE(a.vBody.find(c.vExpected), std::string::npos) << a.vBody.substr(0, 2000);
    if (!c.vForbidden.empty()) {
      EXPECT_EQ(a.vBody.find(c.vForbidden), std::string::npos) << a.vBody.substr(0, 2000);
    }
    if (a.vHeader.find("Content-Type: text/xml\r\n") != std::string::npos) {
      EXPECT_TRUE(testsupport::FWellFormedXml(a.vBody)) << a.vBody;
    }
    EXPECT_EQ(FListing(vDir.FPath(), "log"), vDirBefore);
    EXPECT_EQ(FListing(vScratch.FPath()), vScratchBefore);
  }

  static e2e::TTempDir* vDatabaseDir;
  static std::string vDatabase;
};

e2e::TTempDir* BadInput::vDatabaseDir = nullptr;
std::string BadInput::vDatabase;

std::string FFault(std::string_view pMessage) { return "<faultstring>" + std::string(pMessage) + "</faultstring>"; }

const char* const cOk = "200 OK";
const char* const cTrue = "<return xsi:type=\"xsd:boolean\">true</return>";

TEST_F(BadInput, HostileXmlIsRefusedBeforeItCosts) {
  const std::string vLaughs =
      "<!DOCTYPE lolz [<!ENTITY lol \"lol\">"
      "<!ENTITY lol1 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">"
      "<!ENTITY lol2 \"&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;\">"
      "<!ENTITY lol3 \"&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;\">"
      "<!ENTITY lol4 \"&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;\">"
      "<!ENTITY lol5 \"&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;\">"
      "<!ENTITY lol6 \"&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;\">"
      "<!ENTITY lol7 \"&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;\">"
      "<!ENTITY lol8 \"&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;\">"
      "<!ENTITY lol9 \"&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;\">]>";
  const TCase cCases[] = {
      {.vName = "external entity naming a local file",
       .vContent = FWithPrologue("<!DOCTYPE x [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>", "<p>&e;</p>"),
       .vStatus = cOk, .vExpected = FFault(cDoctypeFault), .vForbidden = "root:"},
      {.vName = "parameter entity",
       .vContent = FWithPrologue("<!DOCTYPE x [<!ENTITY % p SYSTEM \"file:///etc/passwd\"> %p;]>"),
       .vStatus = cOk, .vExpected = FFault(cDoctypeFault), .vForbidden = "root:"},
      {.vName = "external DTD",
       .vContent = FWithPrologue("<!DOCTYPE SOAP-ENV:Envelope SYSTEM \"http://127.0.0.1:9/x.dtd\">"),
       .vStatus = cOk, .vExpected = FFault(cDoctypeFault)},
      {.vName = "billion laughs", .vContent = FWithPrologue(vLaughs, "<p>&lol9;</p>"),
       .vStatus = cOk, .vExpected = FFault(cDoctypeFault), .vForbidden = "lollol"},
      {.vName = "100,000 nested elements", .vContent = FEnvelope("FVerificaAtividade", FNested(100000)),
       .vStatus = cOk, .vExpected = "Excessive depth in document"},
      {.vName = "50,000 attributes", .vContent = FEnvelope("FRetornaPedido", FManyAttributes(50000)),
       .vStatus = cOk, .vExpected = FFault("Invalid SOAP request: too many attributes on one element")},
      {.vName = "25,000 sibling elements with ids, near the size limit",
       .vContent = FEnvelope("FRetornaPedido", FSiblings(25000)), .vStatus = cOk,
       .vExpected = "<return xsi:type=\"xsd:string\""},
  };
  for (const TCase& c : cCases) PRun(c);
}

TEST_F(BadInput, BrokenAndForeignEncodings) {
  const std::string vVerifica = FEnvelope("FVerificaAtividade");
  const TCase cCases[] = {
      {.vName = "invalid UTF-8", .vContent = FEnvelope("FRetornaPedido", FKey("0\xC3\x28\xFF", "1")),
       .vStatus = cOk, .vExpected = "Input is not proper UTF-8"},
      // libxml2 decodes UTF-7 through iconv: a faithful UTF-7 text is a request like any other.
      {.vName = "UTF-7 declaration",
       .vContent = FReplace(vVerifica, "encoding=\"UTF-8\"", "encoding=\"UTF-7\""),
       .vStatus = cOk, .vExpected = cTrue},
      {.vName = "UTF-16 declaration over UTF-8 bytes",
       .vContent = FReplace(vVerifica, "encoding=\"UTF-8\"", "encoding=\"UTF-16\""),
       .vStatus = cOk, .vExpected = "<faultcode>SOAP-ENV:Server</faultcode>"},
      {.vName = "UTF-16 with its byte-order mark",
       .vContent = FUtf16Le(FReplace(vVerifica, "encoding=\"UTF-8\"", "encoding=\"UTF-16\"")),
       .vStatus = cOk, .vExpected = cTrue},
  };
  for (const TCase& c : cCases) PRun(c);
}

TEST_F(BadInput, LyingContentLengths) {
  const std::string vVerifica = FEnvelope("FVerificaAtividade");
  const TCase cCases[] = {
      {.vName = "99999999999", .vContent = vVerifica, .vContentLength = "99999999999",
       .vStatus = "500 Request content of 99999999999 bytes refused: the limit is 1048576 bytes",
       .vExpected = "Internal Server Error 500"},
      // Refused unread: the process ends while the sender is still writing.
      {.vName = "2 MiB sent and declared", .vContent = vVerifica + std::string(2 << 20, ' '),
       .vStatus = "500 Request content of " + std::to_string(vVerifica.size() + (2 << 20)) +
                  " bytes refused: the limit is 1048576 bytes",
       .vExpected = "Internal Server Error 500"},
      {.vName = "-1", .vContent = vVerifica, .vContentLength = "-1", .vStatus = cOk,
       .vExpected = FFault("Document is empty&#13;\nLine: 1&#13;\n")},
      {.vName = "abc", .vContent = vVerifica, .vContentLength = "abc", .vStatus = cOk,
       .vExpected = FFault("Document is empty&#13;\nLine: 1&#13;\n")},
      {.vName = "10 with 3 bytes sent", .vContent = "<a/", .vContentLength = "10", .vStatus = cOk,
       .vExpected = "<faultcode>SOAP-ENV:Server</faultcode>"},
      // The server's own CONTENT_LENGTH decides, never the client's header.
      {.vName = "CONTENT_LENGTH smaller than HTTP_CONTENT_LENGTH", .vContent = vVerifica + "<garbage/>",
       .vContentLength = std::to_string(vVerifica.size()),
       .vExtra = {{"HTTP_CONTENT_LENGTH", std::to_string(vVerifica.size() + 10)}}, .vStatus = cOk,
       .vExpected = cTrue},
  };
  for (const TCase& c : cCases) PRun(c);
}

TEST_F(BadInput, MalformedMultipart) {
  const std::string vVerifica = FEnvelope("FVerificaAtividade");
  const TCase cCases[] = {
      {.vName = "no boundary", .vContentType = "multipart/related; type=\"text/xml\"",
       .vContent = FMultipart("b", vVerifica, 1), .vStatus = cOk,
       .vExpected = FFault("Multipart request without boundary")},
      {.vName = "1,000 parts", .vContentType = "multipart/related; boundary=b",
       .vContent = FMultipart("b", vVerifica, 1000), .vStatus = cOk,
       .vExpected = FFault("Multipart request holds too many parts")},
      {.vName = "Content-ID naming a path", .vContentType = "multipart/related; boundary=b",
       .vContent = FMultipart("b", vVerifica, 3, "Content-ID: <../../x>\r\nContent-Location: ../../y"),
       .vStatus = cOk, .vExpected = cTrue},
      // The boundary is a parameter of the content type: text inside another
      // parameter's quoted value never names it.
      {.vName = "boundary= inside a quoted type",
       .vContentType = "multipart/related; type=\"text/xml; boundary=nope\"; boundary=b",
       .vContent = FMultipart("b", vVerifica, 1), .vStatus = cOk, .vExpected = cTrue},
      {.vName = "escaped quote inside a quoted start",
       .vContentType = "multipart/related; start=\"<a\\\"; boundary=nope>\"; BOUNDARY=\"b;c\"",
       .vContent = FMultipart("b;c", vVerifica, 1), .vStatus = cOk, .vExpected = cTrue},
      {.vName = "boundary only inside quotes", .vContentType = "multipart/related; type=\"a; boundary=b\"",
       .vContent = FMultipart("b", vVerifica, 1), .vStatus = cOk,
       .vExpected = FFault("Multipart request without boundary")},
  };
  for (const TCase& c : cCases) PRun(c);
}

TEST_F(BadInput, ReferenceGames) {
  const std::string vEmpty = "<return xsi:type=\"xsd:string\"";
  const auto FWithTargets = [](std::string_view pKey, std::string_view pTargets) {
    return FReplace(FEnvelope("FRetornaPedido", pKey), "</SOAP-ENV:Body>", std::string(pTargets) + "</SOAP-ENV:Body>");
  };
  const TCase cCases[] = {
      {.vName = "href loop",
       .vContent = FWithTargets("<pChavePedido href=\"#a\"/>", "<k id=\"a\" href=\"#b\"/><k id=\"b\" href=\"#a\"/>"),
       .vStatus = cOk, .vExpected = vEmpty},
      {.vName = "self-reference", .vContent = FEnvelope("FRetornaPedido", "<pChavePedido id=\"s\" href=\"#s\"/>"),
       .vStatus = cOk, .vExpected = vEmpty},
      {.vName = "property referring to its own key",
       .vContent = FWithTargets("<pChavePedido href=\"#k\"/>", "<k id=\"k\"><CodEmpresa href=\"#k\"/></k>"),
       .vStatus = cOk, .vExpected = vEmpty},
      {.vName = "duplicate ids",
       .vContent = FWithTargets("<pChavePedido href=\"#d\"/>",
                                "<k id=\"d\"><CodEmpresa>001</CodEmpresa></k><k id=\"d\"><CodEmpresa>9</CodEmpresa></k>"),
       .vStatus = cOk, .vExpected = vEmpty},
  };
  for (const TCase& c : cCases) PRun(c);
}

// Against the demo database: an unusable key finds nothing and is no error.
TEST_F(BadInput, OversizedAndInjectedKeys) {
  if (vDatabase.empty()) GTEST_SKIP() << "scripts/demo-db.sh is missing";
  const std::string vEmpty = "<return xsi:type=\"xsd:string\"";
  const TCase cCases[] = {
      {.vName = "5,000-character key value",
       .vContent = FEnvelope("FRetornaPedido", FKey("001", std::string(5000, '1'))), .vStatus = cOk,
       .vExpected = vEmpty, .vForbidden = "faultstring"},
      {.vName = "' OR 1=1-- in the company",
       .vContent = FEnvelope("FRetornaPedido", FKey("001' OR 1=1--", "00000101")), .vStatus = cOk,
       .vExpected = vEmpty, .vForbidden = "faultstring"},
      {.vName = "double quotes in the order",
       .vContent = FEnvelope("FRetornaColConvenios", FKey("001", "\" OR \"\"=\"")), .vStatus = cOk,
       .vExpected = vEmpty, .vForbidden = "faultstring"},
      {.vName = "quote in the type",
       .vContent = FEnvelope("FRetornaColFinancimentos", FKey("001", "00000101", "P' OR 'a'='a")),
       .vStatus = cOk, .vExpected = vEmpty, .vForbidden = "faultstring"},
  };
  for (const TCase& c : cCases) PRun(c);
}

TEST_F(BadInput, ScriptAndMarkupInRequestTextAreEscaped) {
  const TCase cCases[] = {
      {.vName = "service page path", .vMethod = "GET", .vPath = "/<script>alert(1)</script>", .vContentType = "",
       .vStatus = cOk, .vExpected = "</html>", .vForbidden = "<script>"},
      {.vName = "publisher path", .vMethod = "GET", .vPath = "/wsdl/<script>alert(1)<script>", .vContentType = "",
       .vStatus = cOk, .vExpected = "Interface &lt;script&gt;alert(1)&lt;script&gt; not found", .vForbidden = "<script>"},
      {.vName = "query", .vMethod = "GET", .vPath = "/wsdl", .vQuery = "intf=<script>alert(1)</script>&x=%3Cscript%3E",
       .vContentType = "", .vStatus = cOk, .vExpected = "</html>", .vForbidden = "<script>"},
      {.vName = "SOAP path", .vPath = "/soap/<script>", .vContent = "<x/>", .vStatus = "500 Internal Server Error",
       .vExpected = "&lt;script>", .vForbidden = "<script>"},
      // "]]>" cannot stand in XML text: the fixed fault must still parse.
      {.vName = "SOAP action holding ]]>", .vContent = "<x/>", .vExtra = {{"HTTP_SOAPACTION", "a]]>b"}},
       .vStatus = "500 Internal Server Error", .vExpected = "soap action 'a]]&gt;b'"},
  };
  for (const TCase& c : cCases) PRun(c);
}

}  // namespace
