// Real SOAP clients in WSDL mode against the service behind lighttpd:
// PHP's SoapClient builds its proxies from /wsdl/IVelmora and
// /wsdl/IWSDLPublish and calls every operation on the demo database.
#include <gtest/gtest.h>

#include <map>

#include "e2e/LighttpdFixture.h"
#include "e2e/ProcessRunner.h"

namespace {

// "=== name\nvalue\n" blocks of tests/php/wsdl_clients.php by name.
std::map<std::string, std::string> FBlocks(const std::string& pOut) {
  std::map<std::string, std::string> vBlocks;
  std::size_t vPos = 0;
  while ((vPos = pOut.find("=== ", vPos)) != std::string::npos) {
    const std::size_t vNameEnd = pOut.find('\n', vPos);
    if (vNameEnd == std::string::npos) break;
    std::size_t vNext = pOut.find("\n=== ", vNameEnd);
    if (vNext == std::string::npos) vNext = pOut.size() - 1;
    vBlocks[pOut.substr(vPos + 4, vNameEnd - vPos - 4)] = pOut.substr(vNameEnd + 1, vNext - vNameEnd - 1);
    vPos = vNext + 1;
  }
  return vBlocks;
}

TEST(WsdlClients, PhpSoapClientCallsEveryOperationThroughTheWsdl) {
  e2e::TTempDir vDatabaseDir;
  const std::string vDatabase = vDatabaseDir.FPath() + "/demo.fdb";
  if (!e2e::FCreateDemoDatabase(vDatabase)) GTEST_SKIP() << "scripts/demo-db.sh is missing";
  e2e::TServiceDir vService(vDatabase);
  e2e::TLighttpd vServer(vService.FExe());

  const e2e::TProcessResult r =
      e2e::FRunProgram({"php", std::string(VELMORA_SOURCE_DIR) + "/tests/php/wsdl_clients.php", vServer.FBaseUrl()},
                       {{"PATH", "/usr/bin:/bin"}, {"HOME", "/tmp"}}, {}, 120);
  ASSERT_EQ(r.vExitCode, 0) << r.vStdout << r.vStderr << vServer.FErrorLog();
  std::map<std::string, std::string> b = FBlocks(r.vStdout);

  EXPECT_EQ(b["FVerificaAtividade"], "true");
  // The documents arrive whole, each with its own declaration; PHP hands
  // them over as UTF-8, so the customer's accents show the text survived.
  const std::string cDecl = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";
  EXPECT_EQ(b["FRetornaPedido"].rfind(cDecl + "<Pedido", 0), 0u) << b["FRetornaPedido"];
  EXPECT_NE(b["FRetornaPedido"].find("Jo\xC3\xA3o da Concei\xC3\xA7\xC3\xA3o Ara\xC3\xBAjo"), std::string::npos)
      << b["FRetornaPedido"];
  EXPECT_EQ(b["FRetornaPedidoItem"].rfind(cDecl + "<ListaItem", 0), 0u) << b["FRetornaPedidoItem"];
  EXPECT_EQ(b["FRetornaColConvenios"].rfind(cDecl + "<convenios", 0), 0u) << b["FRetornaColConvenios"];
  EXPECT_EQ(b["FRetornaColFinancimentos"].rfind(cDecl + "<financimentos", 0), 0u) << b["FRetornaColFinancimentos"];
  EXPECT_EQ(b["FAtualizaStatusPedido"], "true");

  EXPECT_EQ(b["GetPortTypeList"], "IWSDLPublish,IVelmora");
  EXPECT_EQ(b["GetTypeSystemsList"], "http://www.w3.org/2001/XMLSchema,urn:VelmoraTypes,urn:uClassChavePedido");
  EXPECT_EQ(b["GetWSDLForPortType"], "definitions IVelmoraservice");
  EXPECT_NE(b["GetXSDForTypeSystem"].find("<xs:complexType name=\"TChavePedido\">"), std::string::npos)
      << b["GetXSDForTypeSystem"];
}

}  // namespace
