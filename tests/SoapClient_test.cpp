// A real SOAP client (PHP's SoapClient, without the WSDL) against the
// service behind lighttpd on the embedded demo database: the liveness check
// and the order header, whose text must come back character for character.
#include <gtest/gtest.h>

#include <string>

#include "e2e/LighttpdFixture.h"
#include "e2e/ProcessRunner.h"

namespace {

std::string FBase64Decode(const std::string& pText) {
  static const std::string cAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string vOut;
  int vBits = 0, vCount = 0;
  for (char c : pText) {
    const auto vPos = cAlphabet.find(c);
    if (vPos == std::string::npos) continue;
    vBits = (vBits << 6) | static_cast<int>(vPos);
    vCount += 6;
    if (vCount >= 8) {
      vCount -= 8;
      vOut += static_cast<char>((vBits >> vCount) & 0xFF);
    }
  }
  return vOut;
}

std::string FValueOf(const std::string& pOutput, const std::string& pName) {
  const auto vStart = pOutput.find(pName + "=");
  if (vStart == std::string::npos) return {};
  const auto vEnd = pOutput.find('\n', vStart);
  return pOutput.substr(vStart + pName.size() + 1, vEnd - vStart - pName.size() - 1);
}

TEST(SoapClient, PhpCallsLivenessAndOrderHeaderWithoutWsdl) {
  e2e::TTempDir vDatabaseDir;
  const std::string vDatabase = vDatabaseDir.FPath() + "/demo.fdb";
  if (!e2e::FCreateDemoDatabase(vDatabase)) GTEST_SKIP() << "scripts/demo-db.sh is missing";
  e2e::TServiceDir vService(vDatabase);
  e2e::TLighttpd vServer(vService.FExe());

  const e2e::TProcessResult vRun = e2e::FRunProgram(
      {"php", VELMORA_SOURCE_DIR "/tests/php/soap-rpc-client.php", vServer.FBaseUrl(), "001", "00000101", "P"},
      {{"PATH", "/usr/bin:/bin"}}, {}, 60);
  ASSERT_EQ(vRun.vExitCode, 0) << vRun.vStdout << vRun.vStderr << vServer.FErrorLog();
  EXPECT_EQ(FValueOf(vRun.vStdout, "FVerificaAtividade"), "true");

  // PHP hands back UTF-8; the document itself is the 8-bit text whose
  // markup it carries, escapes included.
  const std::string vDoc = FBase64Decode(FValueOf(vRun.vStdout, "FRetornaPedido"));
  EXPECT_EQ(vDoc.rfind("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><Pedido><CodEmpresa>001</CodEmpresa>", 0), 0u)
      << vDoc;
  EXPECT_NE(vDoc.find("<NomeCliente>Jo\xC3\xA3o da Concei\xC3\xA7\xC3\xA3o Ara\xC3\xBAjo</NomeCliente>"),
            std::string::npos)
      << vDoc;
  EXPECT_NE(vDoc.find("Entregar ap\xC3\xB3s 18h &amp; &lt;urgente&gt;"), std::string::npos) << vDoc;
  EXPECT_EQ(vDoc.substr(vDoc.size() - 9), "</Pedido>");
}

}  // namespace
