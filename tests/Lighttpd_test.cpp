// The service behind the real web server: lighttpd on 127.0.0.1 with the
// project's configuration, curl as the client, the embedded demo database.
#include <gtest/gtest.h>

#include <future>
#include <vector>

#include "e2e/LighttpdFixture.h"
#include "e2e/ProcessRunner.h"

namespace {

constexpr const char* cLivenessAction = "\"urn:VelmoraIntf-IVelmora#FVerificaAtividade\"";
constexpr const char* cTrue = "<return xsi:type=\"xsd:boolean\">true</return>";

class Lighttpd : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    sDatabaseDir = std::make_unique<e2e::TTempDir>();
    const std::string vDatabase = sDatabaseDir->FPath() + "/demo.fdb";
    if (!e2e::FCreateDemoDatabase(vDatabase)) return;
    sService = std::make_unique<e2e::TServiceDir>(vDatabase);
    sServer = std::make_unique<e2e::TLighttpd>(sService->FExe());
  }
  static void TearDownTestSuite() {
    sServer.reset();
    sService.reset();
    sDatabaseDir.reset();
  }
  void SetUp() override {
    if (!sServer) GTEST_SKIP() << "scripts/demo-db.sh is missing";
  }

  static e2e::THttpResult FLiveness() {
    return e2e::FHttpPost(sServer->FBaseUrl() + "/soap/IVelmora", "text/xml; charset=utf-8", cLivenessAction,
                          e2e::FSoapCall("FVerificaAtividade"));
  }

  static inline std::unique_ptr<e2e::TTempDir> sDatabaseDir;
  static inline std::unique_ptr<e2e::TServiceDir> sService;
  static inline std::unique_ptr<e2e::TLighttpd> sServer;
};

TEST_F(Lighttpd, ServicePageAndLiveness) {
  e2e::THttpResult vPage = e2e::FHttpGet(sServer->FBaseUrl() + "/");
  EXPECT_EQ(vPage.vStatus, 200) << vPage.vError << sServer->FErrorLog();
  EXPECT_EQ(vPage.FHeader("Content-Type"), "text/html");
  EXPECT_EQ(vPage.FHeader("Content-Length"), std::to_string(vPage.vBody.size()));
  EXPECT_NE(vPage.vBody.find("Service Info Page"), std::string::npos);

  e2e::THttpResult vSoap = FLiveness();
  EXPECT_EQ(vSoap.vStatus, 200) << vSoap.vBody << sServer->FErrorLog();
  EXPECT_EQ(vSoap.FHeader("Content-Type").rfind("text/xml", 0), 0u) << vSoap.vHeaders;
  EXPECT_NE(vSoap.vBody.find(cTrue), std::string::npos) << vSoap.vBody;
}

TEST_F(Lighttpd, OrdersFromTheDemoDatabaseInParallel) {
  // Several processes open the one embedded database file at once.
  const std::string vKey =
      "<pChavePedido><CodEmpresa xsi:type=\"xsd:string\">001</CodEmpresa>"
      "<CodPedido xsi:type=\"xsd:string\">00000101</CodPedido>"
      "<TipoPedido xsi:type=\"xsd:string\">P</TipoPedido></pChavePedido>";
  std::vector<std::future<e2e::THttpResult>> vRuns;
  for (int i = 0; i < 4; ++i) {
    vRuns.push_back(std::async(std::launch::async, [&vKey] {
      return e2e::FHttpPost(sServer->FBaseUrl() + "/soap/IVelmora", "text/xml; charset=utf-8",
                            "\"urn:VelmoraIntf-IVelmora#FRetornaPedido\"", e2e::FSoapCall("FRetornaPedido", vKey));
    }));
  }
  for (auto& vRun : vRuns) {
    e2e::THttpResult r = vRun.get();
    EXPECT_EQ(r.vStatus, 200) << r.vBody << sServer->FErrorLog();
    EXPECT_NE(r.vBody.find("&lt;Pedido"), std::string::npos) << r.vBody;
  }
}

TEST_F(Lighttpd, ParallelRequests) {
  std::vector<std::future<std::pair<e2e::THttpResult, e2e::THttpResult>>> vRuns;
  for (int i = 0; i < 8; ++i) {
    vRuns.push_back(std::async(std::launch::async, [] {
      return std::make_pair(FLiveness(), e2e::FHttpGet(sServer->FBaseUrl() + "/wsdl"));
    }));
  }
  for (auto& vRun : vRuns) {
    auto [vSoap, vListing] = vRun.get();
    EXPECT_EQ(vSoap.vStatus, 200) << vSoap.vError;
    EXPECT_NE(vSoap.vBody.find(cTrue), std::string::npos) << vSoap.vBody;
    EXPECT_EQ(vListing.vStatus, 200) << vListing.vError;
    EXPECT_NE(vListing.vBody.find("WebService Listing"), std::string::npos);
  }
}

TEST_F(Lighttpd, OnlyTheExecutableIsServed) {
  for (const char* vPath : {"/caminhoBDQuindar.ini", "/log/", "/velmora.cgi/../caminhoBDQuindar.ini", "/demo.fdb",
                            "/velmora_WSDLADMIN.INI", "/velmora.cgi.ini", "/"}) {
    e2e::THttpResult r = e2e::FHttpGet("http://127.0.0.1:" + std::to_string(sServer->FPort()) + vPath);
    EXPECT_TRUE(r.vStatus == 403 || r.vStatus == 404) << vPath << " " << r.vStatus;
    EXPECT_EQ(r.vBody.find("masterkey"), std::string::npos) << vPath;
  }
}

TEST_F(Lighttpd, BodiesAboveTheLimitAreRefused) {
  const std::string vBig(1024 * 1024 + 1024, 'x');
  e2e::THttpResult r = e2e::FHttpPost(sServer->FBaseUrl() + "/soap/IVelmora", "text/xml", cLivenessAction, vBig);
  EXPECT_EQ(r.vStatus, 413) << r.vHeaders;
}

}  // namespace
