// Test support for the web server tests: a service installation of its
// own behind a server, PHP's SoapClient calling every operation through it,
// and the check that nothing but the executable is served.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "e2e/LighttpdFixture.h"
#include "e2e/ProcessRunner.h"
#include "e2e/ServerProcess.h"
#include "support/TestText.h"

namespace e2e {

// The key of the demo order 001/00000101 of type P, as a SOAP argument.
inline constexpr const char* cDemoKey =
    "<pChavePedido><CodEmpresa xsi:type=\"xsd:string\">001</CodEmpresa>"
    "<CodPedido xsi:type=\"xsd:string\">00000101</CodPedido>"
    "<TipoPedido xsi:type=\"xsd:string\">P</TipoPedido></pChavePedido>";

// A service installation of its own: the executable with its ini, a fresh
// demo database (the calls mark an order invoiced) and a lock directory.
class TSite {
 public:
  // False when scripts/demo-db.sh is missing. With pServer the service
  // reaches its database through that Firebird server.
  [[nodiscard]] bool FCreate(const testsupport::TFirebirdServer* pServer = nullptr) {
    const std::string vFile = vData.FPath() + "/demo.fdb";
    if (!FCreateDemoDatabase(vFile)) return false;
    vDatabase = pServer != nullptr ? pServer->FDatabaseSpec(vFile) : vFile;
    vService = std::make_unique<TServiceDir>(vDatabase);
    return true;
  }
  // The CGI or the workers of a server started by root run as the web
  // servers' user.
  void PGrantToServerUser() const { e2e::PGrantToServerUser({vService->FPath(), vData.FPath(), vLock.FPath()}); }

  [[nodiscard]] TDeployPaths FPaths() const {
    return {vService->FPath(), FFirebirdRoot(), vLock.FPath(), vData.FPath(), {}, {}};
  }
  [[nodiscard]] const TServiceDir& FService() const { return *vService; }
  [[nodiscard]] const std::string& FExe() const { return vService->FExe(); }
  // The ini's CAMINHO.
  [[nodiscard]] const std::string& FDatabase() const { return vDatabase; }
  // Every trace log file the service wrote, one after the other.
  [[nodiscard]] std::string FTraceLog() const { return testsupport::FLogDirText(vService->FPath()); }

 private:
  TTempDir vData;
  TTempDir vLock;
  std::string vDatabase;
  std::unique_ptr<TServiceDir> vService;
};

// PHP's SoapClient in WSDL mode calling every operation at pBaseUrl.
inline TProcessResult FPhpClients(const std::string& pBaseUrl) {
  return FRunProgram({"php", std::string(VELMORA_SOURCE_DIR) + "/tests/php/wsdl_clients.php", pBaseUrl},
                     {{"PATH", "/usr/bin:/bin"}, {"HOME", "/tmp"}}, {}, 120);
}

// What every deployment serves alike, as a CGI or through persistent
// workers: the service page with and without the slash after the
// executable (the split of SCRIPT_NAME and PATH_INFO), the WSDL naming the
// SOAP address this server answers on, PHP's SoapClient getting exactly
// pReferencePhp, and a trace log that names every data operation. Returns
// the trace log.
inline std::string FCheckServedAsTheReference(const std::string& pBaseUrl, const TSite& pSite,
                                              const std::string& pReferencePhp,
                                              const std::function<std::string()>& pServerLog) {
  for (const std::string& vUrl : {pBaseUrl, pBaseUrl + "/"}) {
    const THttpResult vPage = FHttpGet(vUrl);
    EXPECT_EQ(vPage.vStatus, 200) << vUrl << vPage.vError << pServerLog();
    EXPECT_NE(vPage.vBody.find("Service Info Page"), std::string::npos) << vUrl;
  }
  const THttpResult vWsdl = FHttpGet(pBaseUrl + "/wsdl/IVelmora");
  EXPECT_EQ(vWsdl.vStatus, 200) << vWsdl.vError << pServerLog();
  EXPECT_NE(vWsdl.vBody.find("<soap:address location=\"" + pBaseUrl + "/soap/IVelmora\"/>"), std::string::npos)
      << vWsdl.vBody;

  const TProcessResult vPhp = FPhpClients(pBaseUrl);
  EXPECT_EQ(vPhp.vExitCode, 0) << vPhp.vStderr << pServerLog();
  EXPECT_EQ(vPhp.vStdout, pReferencePhp);

  const std::string vTrace = pSite.FTraceLog();
  for (const char* vOperation : {"FRetornaPedidoCabecalho", "FRetornaPedidoItem", "FRetornaColConvenios",
                                 "FRetornaColFinancimentos", "FAtualizaStatusPedido"}) {
    EXPECT_NE(vTrace.find(std::string("Entrando no procedimento: ") + vOperation), std::string::npos)
        << vOperation << " is not in the trace log:\n"
        << vTrace << pServerLog();
  }
  return vTrace;
}

// pOperation on the demo key with its body sent chunked (no length).
inline THttpResult FChunkedCall(const std::string& pBaseUrl, const std::string& pOperation) {
  return FCurl({"-H", "Content-Type: text/xml; charset=utf-8", "-H",
                "SOAPAction: \"urn:VelmoraIntf-IVelmora#" + pOperation + "\"", "-H", "Transfer-Encoding: chunked", "-H",
                "Expect:", "--data-binary", FSoapCall(pOperation, cDemoKey), pBaseUrl + "/soap/IVelmora"});
}

inline void PExpectNoSecret(const std::string& pPath, const std::string& pBody) {
  for (const char* vSecret : {"masterkey", "CAMINHO", "Log iniciado", "ServerMode"}) {
    EXPECT_EQ(pBody.find(vSecret), std::string::npos) << pPath << " shows " << vSecret;
  }
}

// The ini, the log and the database sit beside the executable; none of
// them is reachable, however the path is spelt.
inline void PCheckNothingElseIsServed(const std::string& pOrigin, const std::string& pTrace) {
  ASSERT_FALSE(pTrace.empty());
  const std::string vLogName = "Logvelmora" + pTrace.substr(0, 4) + pTrace.substr(5, 2) + pTrace.substr(8, 2) + ".txt";
  const std::vector<std::string> vOutside = {"/caminhoBDQuindar.ini",
                                             "/log/",
                                             "/log/" + vLogName,
                                             "/demo.fdb",
                                             "/velmora_WSDLADMIN.INI",
                                             "/firebird/firebird.conf",
                                             "/velmora.cgi/../caminhoBDQuindar.ini",
                                             "/velmora.cgi/../log/" + vLogName,
                                             "/velmora.cgi%2F..%2FcaminhoBDQuindar.ini",
                                             "/velmora.cgi.ini",
                                             "/velmora.cgix"};
  for (const std::string& vPath : vOutside) {
    const THttpResult r = FCurl({"--path-as-is", pOrigin + vPath});
    EXPECT_TRUE(r.vStatus == 400 || r.vStatus == 403 || r.vStatus == 404) << vPath << " " << r.vStatus;
    PExpectNoSecret(vPath, r.vBody);
  }
  // Below the executable every path is the service's: it answers with its
  // own page (or the server's second fence refuses it), never with a file.
  for (const std::string& vPath : std::vector<std::string>{"/velmora.cgi/caminhoBDQuindar.ini", "/velmora.cgi/log/" + vLogName}) {
    const THttpResult r = FCurl({"--path-as-is", pOrigin + vPath});
    EXPECT_TRUE(r.vStatus == 200 || r.vStatus == 403) << vPath << " " << r.vStatus;
    PExpectNoSecret(vPath, r.vBody);
  }
}

}  // namespace e2e
