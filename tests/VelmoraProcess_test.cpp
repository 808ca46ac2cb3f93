// One whole service process per request, run in memory (start-up, the
// request cycle, shutdown) with no database: dispatch by path and method,
// the bytes of the answers, the refusal of oversized content and the
// escaping of request text in error pages.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/InProcessService.h"

namespace {

class VelmoraProcess : public ::testing::Test {
 protected:
  testsupport::TInProcessService vService;

  testsupport::TInProcessAnswer FRun(const std::string& pMethod, const std::string& pPath,
                                     const std::string& pBody = {}, bool pProtocol = true) {
    std::vector<std::pair<std::string, std::string>> vVars = {
        {"REQUEST_METHOD", pMethod}, {"PATH_INFO", pPath},       {"SCRIPT_NAME", "/velmora.cgi"},
        {"HTTP_HOST", "127.0.0.1:8080"}, {"SERVER_PORT", "8080"}, {"QUERY_STRING", ""}};
    if (pProtocol) vVars.emplace_back("SERVER_PROTOCOL", "HTTP/1.1");
    if (!pBody.empty()) {
      vVars.emplace_back("CONTENT_LENGTH", std::to_string(pBody.size()));
      vVars.emplace_back("CONTENT_TYPE", "text/xml; charset=utf-8");
      vVars.emplace_back("HTTP_SOAPACTION", "\"urn:VelmoraIntf-IVelmora#FVerificaAtividade\"");
    }
    return vService.FRun(vVars, pBody);
  }
};

// Splits "Status: ...\r\n...Content:\r\n\r\n" from the body.
std::pair<std::string, std::string> FSplit(const std::string& pOut) {
  const std::size_t vEnd = pOut.find("Content:\r\n\r\n");
  if (vEnd == std::string::npos) return {"", pOut};
  return {pOut.substr(0, vEnd + 12), pOut.substr(vEnd + 12)};
}

TEST_F(VelmoraProcess, DispatchByPathAndMethod) {
  enum TWho { cServicePage, cListing, cSoap };
  struct TCase {
    const char* vMethod;
    const char* vPath;
    TWho vWho;
  };
  const TCase cCases[] = {
      {"GET", "/", cServicePage},           {"GET", "", cServicePage},
      {"GET", "/anything", cServicePage},   {"POST", "/SOAP/IVelmora", cSoap},
      {"POST", "/soap", cSoap},             {"GET", "/soap", cServicePage},
      {"HEAD", "/soap/IVelmora", cServicePage}, {"PUT", "/soap/IVelmora", cServicePage},
      {"GET", "/wsdl", cListing},           {"POST", "/wsdl", cListing},
      {"HEAD", "/wsdl", cListing},          {"PUT", "/wsdl", cListing},
  };
  const std::string vEnvelope =
      "<?xml version=\"1.0\"?><SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\">"
      "<SOAP-ENV:Body><NS1:FVerificaAtividade xmlns:NS1=\"urn:VelmoraIntf-IVelmora\"/></SOAP-ENV:Body>"
      "</SOAP-ENV:Envelope>";
  for (const TCase& c : cCases) {
    const std::string vWhat = std::string(c.vMethod) + " '" + c.vPath + "'";
    testsupport::TInProcessAnswer r = FRun(c.vMethod, c.vPath, std::string(c.vMethod) == "POST" ? vEnvelope : "");
    EXPECT_EQ(r.vExitCode, 0) << vWhat << r.vStderr;
    auto [vHeader, vBody] = FSplit(r.vStdout);
    switch (c.vWho) {
      case cServicePage:
        EXPECT_NE(vHeader.find("Content-Type: text/html\r\n"), std::string::npos) << vWhat;
        EXPECT_NE(vBody.find("Service Info Page"), std::string::npos) << vWhat << vBody;
        break;
      case cListing:
        EXPECT_NE(vHeader.find("Content-Type: text/html\r\n"), std::string::npos) << vWhat;
        EXPECT_NE(vBody.find("WebService Listing"), std::string::npos) << vWhat << vBody;
        break;
      case cSoap:
        EXPECT_NE(vHeader.find("Content-Type: text/xml"), std::string::npos) << vWhat << vHeader;
        EXPECT_EQ(vBody.find("Service Info Page"), std::string::npos) << vWhat;
        break;
    }
  }
}

TEST_F(VelmoraProcess, PageAnswerBytes) {
  testsupport::TInProcessAnswer r = FRun("GET", "/");
  auto [vHeader, vBody] = FSplit(r.vStdout);
  ASSERT_FALSE(vBody.empty());
  EXPECT_EQ(vHeader, "Status: 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(vBody.size()) +
                         "\r\nContent:\r\n\r\n");
  EXPECT_EQ(r.vStderr, "");

  // Without SERVER_PROTOCOL the same body comes alone.
  testsupport::TInProcessAnswer vBare = FRun("GET", "/", {}, false);
  EXPECT_EQ(vBare.vStdout, vBody);
  EXPECT_EQ(vBare.vExitCode, 0);

  // An answer with no content: no Content-Length, but the block is whole.
  testsupport::TInProcessAnswer vEmpty = FRun("GET", "/wsdl/a/b");
  EXPECT_EQ(vEmpty.vStdout, "Status: 200 OK\r\nContent:\r\n\r\n");
}

TEST_F(VelmoraProcess, OversizedContentIsRefused) {
  const std::vector<std::pair<std::string, std::string>> vVars = {{"REQUEST_METHOD", "POST"},
                             {"PATH_INFO", "/soap/IVelmora"},
                             {"SERVER_PROTOCOL", "HTTP/1.1"},
                             {"CONTENT_LENGTH", "1048577"}};
  testsupport::TInProcessAnswer r = vService.FRun(vVars, "short");
  const std::string vMessage = "Request content of 1048577 bytes refused: the limit is 1048576 bytes";
  const std::string vBody =
      "<html><title>Internal Server Error 500</title>\r\n<h1>Internal Server Error 500</h1><hr>\r\n"
      "Exception: EWebRequestError<br>\r\nMessage: " +
      vMessage + "<br></html>\r\n";
  EXPECT_EQ(r.vStdout, "Status: 500 " + vMessage + "\r\nContent-Type: text/html\r\nContent-Length: " +
                           std::to_string(vBody.size()) + "\r\n\r\n" + vBody);
  EXPECT_EQ(r.vExitCode, 0);
}

TEST_F(VelmoraProcess, ErrorPagesEscapeRequestText) {
  testsupport::TInProcessAnswer r = FRun("GET", "/wsdl/<img src=x onerror=alert(1)>");
  EXPECT_EQ(r.vStdout.find("<img"), std::string::npos) << r.vStdout;
}

// The trace log of the request, whole, from start banner to finish banner.
TEST_F(VelmoraProcess, OneRequestLeavesItsWholeLog) {
  const testsupport::TInProcessAnswer r = FRun("GET", "/");
  EXPECT_EQ(r.vExitCode, 0);
  EXPECT_EQ(r.vLog.find("**** Log iniciado ****"), 73u) << r.vLog;
  EXPECT_EQ(r.vLog.rfind("**** Log finalizado ****\r\n"), r.vLog.size() - 26) << r.vLog;
  EXPECT_NE(r.vLog.find("[TControle                       ] Entrando no procedimento: FRetornaBancoDeDados"),
            std::string::npos);
}

}  // namespace
