// The package's web server configurations (deploy/) under the real
// servers: each server is started on 127.0.0.1 with the shipped file, the
// build tree's paths filled in, in front of its own copy of the executable
// and its own demo database. PHP's SoapClient in WSDL mode calls every
// operation through each and must get exactly what it gets through
// lighttpd; the trace log must be written, a chunked request body must end
// as the configuration says, and nothing but the executable may be served.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "e2e/ApacheFixture.h"
#include "e2e/LighttpdFixture.h"
#include "e2e/NginxFixture.h"
#include "e2e/ProcessRunner.h"
#include "e2e/ServerProcess.h"
#include "e2e/WebSite.h"

namespace {

using e2e::FPhpClients;
using e2e::PCheckNothingElseIsServed;
using e2e::TSite;

constexpr const char* cReadAction = "\"urn:VelmoraIntf-IVelmora#FRetornaPedido\"";



class WebServers : public ::testing::Test {
 protected:
  // lighttpd with the shipped file gives the documents every other server
  // must give byte for byte.
  static void SetUpTestSuite() {
    sReferenceSite = std::make_unique<TSite>();
    if (!sReferenceSite->FCreate()) return;
    sReferenceServer = std::make_unique<e2e::TLighttpd>(sReferenceSite->FService().FExe(), e2e::FFirebirdRoot(),
                                                        sReferenceSite->FPaths().vLockDir);
    sReference = FPhpClients(sReferenceServer->FBaseUrl());
  }
  static void TearDownTestSuite() {
    sReferenceServer.reset();
    sReferenceSite.reset();
  }
  void SetUp() override {
    if (!sReferenceServer) GTEST_SKIP() << "scripts/demo-db.sh is missing";
    ASSERT_EQ(sReference.vExitCode, 0) << "PHP through lighttpd: " << sReference.vStdout << sReference.vStderr
                                       << sReferenceServer->FErrorLog();
  }

  // What every server must do. pChunkedStatus is the status a request with
  // a chunked body gets: 200 where the server passes its length on, 411
  // where the configuration refuses it.
  static void PCheckServer(const std::string& pBaseUrl, const TSite& pSite, int pChunkedStatus,
                           const std::function<std::string()>& pServerLog) {
    const std::string vTrace = e2e::FCheckServedAsTheReference(pBaseUrl, pSite, sReference.vStdout, pServerLog);

    const e2e::THttpResult vChunked = e2e::FChunkedCall(pBaseUrl, "FRetornaPedido");
    EXPECT_EQ(vChunked.vStatus, pChunkedStatus) << vChunked.vHeaders << vChunked.vError << pServerLog();
    if (pChunkedStatus == 200) {
      EXPECT_NE(vChunked.vBody.find("&lt;Pedido&gt;"), std::string::npos) << vChunked.vBody;
    }

    const e2e::THttpResult vBig = e2e::FHttpPost(pBaseUrl + "/soap/IVelmora", "text/xml", cReadAction,
                                                 std::string(1024 * 1024 + 1024, 'x'));
    EXPECT_EQ(vBig.vStatus, 413) << vBig.vHeaders << vBig.vError;

    PCheckNothingElseIsServed(pBaseUrl.substr(0, pBaseUrl.size() - std::string("/velmora.cgi").size()), vTrace);
  }

  static inline std::unique_ptr<TSite> sReferenceSite;
  static inline std::unique_ptr<e2e::TLighttpd> sReferenceServer;
  static inline e2e::TProcessResult sReference;
};

TEST_F(WebServers, Lighttpd) {
  // The reference documents themselves must be the demo order's.
  const std::string cDecl = "=== FRetornaPedido\n<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><Pedido>";
  EXPECT_NE(sReference.vStdout.find(cDecl), std::string::npos) << sReference.vStdout;
  EXPECT_NE(sReference.vStdout.find("=== FAtualizaStatusPedido\ntrue\n"), std::string::npos) << sReference.vStdout;

  // A second site behind lighttpd agrees with the first, and lighttpd reads
  // a chunked body whole before the CGI starts.
  TSite vSite;
  ASSERT_TRUE(vSite.FCreate());
  e2e::TLighttpd vServer(vSite.FService().FExe(), e2e::FFirebirdRoot(), vSite.FPaths().vLockDir);
  PCheckServer(vServer.FBaseUrl(), vSite, 200, [&vServer] { return vServer.FErrorLog(); });
}

TEST_F(WebServers, ApacheWithCgid) {
  if (const std::string vMissing = e2e::TApache::FMissing(); !vMissing.empty()) GTEST_SKIP() << vMissing;
  TSite vSite;
  ASSERT_TRUE(vSite.FCreate());
  vSite.PGrantToServerUser();
  e2e::TApache vServer(vSite.FPaths());
  // mod_cgid would hand the CGI a chunked body without its length: the
  // configuration refuses it.
  PCheckServer(vServer.FBaseUrl(), vSite, 411, [&vServer] { return vServer.FErrorLog(); });
  // No connection is held open after a CGI answer.
  EXPECT_EQ(e2e::FHttpGet(vServer.FBaseUrl() + "/").FHeader("Connection"), "close");
}

TEST_F(WebServers, ApachePreforkWithCgi) {
  if (const std::string vMissing = e2e::TApache::FMissing(); !vMissing.empty()) GTEST_SKIP() << vMissing;
  TSite vSite;
  ASSERT_TRUE(vSite.FCreate());
  vSite.PGrantToServerUser();
  e2e::TApache vServer(vSite.FPaths(), e2e::TApache::TMode::cPreforkCgi);
  // mod_cgi would let the service read an empty body and answer a fault.
  PCheckServer(vServer.FBaseUrl(), vSite, 411, [&vServer] { return vServer.FErrorLog(); });
  EXPECT_EQ(e2e::FHttpGet(vServer.FBaseUrl() + "/").FHeader("Connection"), "close");
}

TEST_F(WebServers, NginxWithFcgiwrap) {
  if (const std::string vMissing = e2e::TNginx::FMissing(); !vMissing.empty()) GTEST_SKIP() << vMissing;
  TSite vSite;
  ASSERT_TRUE(vSite.FCreate());
  vSite.PGrantToServerUser();
  e2e::TNginx vServer(vSite.FPaths());
  PCheckServer(vServer.FBaseUrl(), vSite, 200, [&vServer] { return vServer.FErrorLog(); });
}

}  // namespace
