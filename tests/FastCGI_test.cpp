// The executable as a FastCGI worker (standard input a listening socket):
// request after request through one process, each answered with exactly
// the bytes the CGI process writes for the same request; nothing of one
// request reaching the next; the end of a worker on SIGTERM.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/FastCGIWorker.h"
#include "e2e/ProcessRunner.h"
#include "e2e/RowLock.h"
#include "support/TestText.h"

namespace {

namespace fs = std::filesystem;

struct TCase {
  const char* vName;
  e2e::TEnvironment vVars;
  std::string vBody;
};

std::string FEnvelope(const std::string& pOperation, const std::string& pEmpresa, const std::string& pPedido) {
  return "<?xml version=\"1.0\"?><SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
         "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
         "<SOAP-ENV:Body><NS1:" + pOperation + " xmlns:NS1=\"urn:VelmoraIntf-IVelmora\"><pChavePedido>"
         "<CodEmpresa xsi:type=\"xsd:string\">" + pEmpresa + "</CodEmpresa>"
         "<CodPedido xsi:type=\"xsd:string\">" + pPedido + "</CodPedido>"
         "<TipoPedido xsi:type=\"xsd:string\">P</TipoPedido></pChavePedido></NS1:" + pOperation +
         "></SOAP-ENV:Body></SOAP-ENV:Envelope>";
}

TCase FGet(const char* pName, const std::string& pPath, const std::string& pHost, const std::string& pPort,
           const std::string& pQuery = {}) {
  return {pName,
          {{"REQUEST_METHOD", "GET"}, {"SERVER_PROTOCOL", "HTTP/1.1"}, {"PATH_INFO", pPath},
           {"SCRIPT_NAME", "/velmora.cgi"}, {"HTTP_HOST", pHost + ":" + pPort}, {"SERVER_PORT", pPort},
           {"QUERY_STRING", pQuery}},
          {}};
}

TCase FPost(const char* pName, const std::string& pAction, const std::string& pBody, const std::string& pHost,
            const std::string& pPath = "/soap/IVelmora") {
  return {pName,
          {{"REQUEST_METHOD", "POST"}, {"SERVER_PROTOCOL", "HTTP/1.1"}, {"PATH_INFO", pPath},
           {"SCRIPT_NAME", "/velmora.cgi"}, {"HTTP_HOST", pHost}, {"SERVER_PORT", "8080"},
           {"CONTENT_TYPE", "text/xml; charset=utf-8"}, {"CONTENT_LENGTH", std::to_string(pBody.size())},
           {"HTTP_SOAPACTION", "\"" + pAction + "\""}},
          pBody};
}

std::vector<TCase> FCases() {
  const std::string vIntf = "urn:VelmoraIntf-IVelmora#";
  const std::string vWsdlForPortType =
      "<?xml version=\"1.0\"?><SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\">"
      "<SOAP-ENV:Body><NS1:GetWSDLForPortType xmlns:NS1=\"urn:VelmoraTypes-IWSDLPublish\"><PortType>IVelmora"
      "</PortType></NS1:GetWSDLForPortType></SOAP-ENV:Body></SOAP-ENV:Envelope>";
  TCase vNoProtocol = FGet("page without a protocol", "/", "loja-e", "80");
  vNoProtocol.vVars.erase(vNoProtocol.vVars.begin() + 1);
  return {
      FGet("service page", "/", "loja-a", "8080"),
      FPost("order header 101", vIntf + "FRetornaPedido", FEnvelope("FRetornaPedido", "001", "00000101"), "loja-a"),
      FGet("WSDL on another host", "/wsdl/IVelmora", "loja-b", "9090"),
      FPost("items 201 of company 002", vIntf + "FRetornaPedidoItem", FEnvelope("FRetornaPedidoItem", "002", "00000201"),
            "loja-b"),
      FGet("page for one interface with types", "/", "loja-c", "8081", "intf=IVelmora&types=1"),
      FPost("agreements 102", vIntf + "FRetornaColConvenios", FEnvelope("FRetornaColConvenios", "001", "00000102"),
            "loja-c"),
      FPost("WSDL over SOAP names the caller's host", "urn:VelmoraTypes-IWSDLPublish#GetWSDLForPortType",
            vWsdlForPortType, "loja-d:7070", "/soap/IWSDLPublish"),
      FPost("financings 102", vIntf + "FRetornaColFinancimentos",
            FEnvelope("FRetornaColFinancimentos", "001", "00000102"), "loja-d"),
      FGet("inspection document", "/inspection.wsil", "loja-e", "80"),
      FPost("status update 104", vIntf + "FAtualizaStatusPedido", FEnvelope("FAtualizaStatusPedido", "001", "00000104"),
            "loja-e"),
      FPost("unknown operation", vIntf + "FNada", FEnvelope("FNada", "001", "00000101"), "loja-a"),
      FPost("order not found", vIntf + "FRetornaPedido", FEnvelope("FRetornaPedido", "009", "99999999"), "loja-b"),
      FGet("publisher listing", "/wsdl", "loja-c", "8082"),
      vNoProtocol,
      FPost("liveness", vIntf + "FVerificaAtividade",
            "<?xml version=\"1.0\"?><SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\">"
            "<SOAP-ENV:Body><FVerificaAtividade xmlns=\"urn:VelmoraIntf-IVelmora\"/></SOAP-ENV:Body></SOAP-ENV:Envelope>",
            "loja-a"),
  };
}

std::string FLogOf(const std::string& pDir) { return testsupport::FLogDirText(pDir); }

class FastCGI : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!e2e::FCreateDemoDatabase(vDir.FPath() + "/cgi.fdb") || !e2e::FCreateDemoDatabase(vDir.FPath() + "/fcgi.fdb"))
      GTEST_SKIP() << "scripts/demo-db.sh is missing";
    vCgi = std::make_unique<e2e::TServiceDir>(vDir.FPath() + "/cgi.fdb");
    vFcgiDir = std::make_unique<e2e::TServiceDir>(vDir.FPath() + "/fcgi.fdb");
    vWorker = std::make_unique<e2e::TFastCGIWorker>(vFcgiDir->FExe(), e2e::TEnvironment{{"FIREBIRD", e2e::FFirebirdRoot()}},
                                                   vFcgiDir->FPath());
  }

  e2e::TTempDir vDir;
  std::unique_ptr<e2e::TServiceDir> vCgi;
  std::unique_ptr<e2e::TServiceDir> vFcgiDir;
  std::unique_ptr<e2e::TFastCGIWorker> vWorker;
};

// Two rounds through one worker, the second in the reverse order, so each
// request follows a different one each time: every answer is the CGI
// process's answer to the same request, byte for byte.
TEST_F(FastCGI, AlternatingRequestsAnswerAsTheirCGIRequests) {
  const std::vector<TCase> vCases = FCases();
  std::vector<const TCase*> vOrder;
  for (const TCase& c : vCases) vOrder.push_back(&c);
  for (auto it = vCases.rbegin(); it != vCases.rend(); ++it) vOrder.push_back(&*it);
  std::string vAnswers;
  for (const TCase* c : vOrder) {
    SCOPED_TRACE(c->vName);
    const e2e::TProcessResult vCgiAnswer = vCgi->FRunCgi(c->vVars, c->vBody);
    ASSERT_EQ(vCgiAnswer.vExitCode, 0);
    const std::string vFcgiAnswer = vWorker->FRequest(c->vVars, c->vBody);
    EXPECT_FALSE(vFcgiAnswer.empty());
    EXPECT_EQ(vFcgiAnswer, vCgiAnswer.vStdout);
    vAnswers += vFcgiAnswer;
  }
  // The database cases did reach the database.
  for (const char* vDocument : {"&lt;Pedido&gt;", "&lt;ListaItem&gt;", "&lt;convenios&gt;", "&lt;financimentos&gt;",
                                "<return xsi:type=\"xsd:boolean\">true</return>"})
    EXPECT_NE(vAnswers.find(vDocument), std::string::npos) << vDocument;
  // One process served them all: one start banner, no finish banner yet.
  const std::string vLog = FLogOf(vFcgiDir->FPath());
  EXPECT_EQ(vLog.find("**** Log iniciado ****"), vLog.rfind("**** Log iniciado ****"));
  EXPECT_EQ(vLog.find("**** Log finalizado ****"), std::string::npos);
}

// SIGTERM while the worker waits for a request ends it at once, also after
// the database client (which installs its own SIGTERM handler when it
// attaches) has attached: finish banner, clean detach, exit code 0.
TEST_F(FastCGI, SigtermWhileIdleEndsTheWorkerAtOnce) {
  const TCase vOrder = FCases()[1];
  ASSERT_NE(vWorker->FRequest(vOrder.vVars, vOrder.vBody).find("Pedido"), std::string::npos);
  const auto vStart = std::chrono::steady_clock::now();
  EXPECT_EQ(vWorker->FStop(SIGTERM, 3000), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - vStart, std::chrono::seconds(2));
  const std::string vLog = FLogOf(vFcgiDir->FPath());
  EXPECT_NE(vLog.find("**** Log finalizado ****"), std::string::npos) << vLog;
}

// SIGTERM while a request runs: the request is finished and answered
// first (here it waits for a locked row until the lock bound), then the
// worker ends with its finish banner.
TEST_F(FastCGI, SigtermDuringARequestFinishesItFirst) {
  const TCase vUpdate = FCases()[9];
  ASSERT_EQ(std::string(vUpdate.vName), "status update 104");
  const std::string vFalse = "<return xsi:type=\"xsd:boolean\">false</return>";
  {
    e2e::TRowLock vLock(vDir.FPath() + "/fcgi.fdb", "00000104");
    auto vAnswer = std::async(std::launch::async, [&] { return vWorker->FRequest(vUpdate.vVars, vUpdate.vBody); });
    std::this_thread::sleep_for(std::chrono::seconds(1));
    ASSERT_EQ(vAnswer.wait_for(std::chrono::seconds(0)), std::future_status::timeout) << "it waits for the lock";
    ::kill(vWorker->FPid(), SIGTERM);
    const std::string vText = vAnswer.get();
    EXPECT_NE(vText.find("Status: 200 OK\r\n"), std::string::npos) << vText;
    EXPECT_NE(vText.find(vFalse), std::string::npos) << vText;
  }
  EXPECT_EQ(vWorker->FStop(0, 5000), 0) << "ends by itself once the request is done";
  const std::string vLog = FLogOf(vFcgiDir->FPath());
  EXPECT_NE(vLog.find("**** Log finalizado ****"), std::string::npos);
}

}  // namespace
