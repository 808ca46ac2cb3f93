// The command-line tool scripts/velmora-call.sh, run as a person runs it:
// the real executable of this build as a CGI process, on a demo database
// made in a temporary directory, with the document printed as its 8-bit
// bytes and a SOAP fault reported with exit code 1.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "e2e/ProcessRunner.h"
#include "support/FirebirdFixture.h"

namespace {

struct TSaida {
  int vCodigo = -1;
  std::string vTexto;  // standard output
};

// Runs the tool with this build's tree and pArgs; standard error is dropped.
TSaida FChama(const std::string& pArgs) {
  const std::string vComando = "BUILD_DIR='" + std::string(VELMORA_BINARY_DIR) + "' '" + VELMORA_SOURCE_DIR +
                               "/scripts/velmora-call.sh' " + pArgs + " 2>/dev/null";
  TSaida vSaida;
  FILE* vPipe = popen(vComando.c_str(), "r");
  if (vPipe == nullptr) return vSaida;
  char vBuffer[4096];
  for (std::size_t n; (n = fread(vBuffer, 1, sizeof vBuffer, vPipe)) > 0;) vSaida.vTexto.append(vBuffer, n);
  const int vStatus = pclose(vPipe);
  vSaida.vCodigo = WIFEXITED(vStatus) ? WEXITSTATUS(vStatus) : -1;
  return vSaida;
}

void PEscreveIni(const std::string& pDir, const std::string& pCaminho) {
  std::ofstream(pDir + "/caminhoBDQuindar.ini") << "[DATABASE]\nCAMINHO=" << pCaminho << "\nUSUARIO=SYSDBA\n";
}

TEST(VelmoraCall, PrintsTheDocumentAsItsBytes) {
  testsupport::TTempDir vDir;
  const std::string vBanco = vDir.FPath() + "/demo.fdb";
  ASSERT_TRUE(e2e::FCreateDemoDatabase(vBanco));
  PEscreveIni(vDir.FPath(), vBanco);

  const TSaida vPedido = FChama("FRetornaPedido 001 101 P '" + vDir.FPath() + "'");
  EXPECT_EQ(vPedido.vCodigo, 0);
  EXPECT_EQ(vPedido.vTexto.rfind("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><Pedido><CodEmpresa>001</CodEmpresa>"
                                 "<CodPedido>00000101</CodPedido>",
                                 0),
            0u)
      << vPedido.vTexto;
  EXPECT_NE(vPedido.vTexto.find("<NomeCliente>Jo\xE3o da Concei\xE7\xE3o Ara\xFAjo</NomeCliente>"), std::string::npos);
  EXPECT_NE(vPedido.vTexto.find("&amp; &lt;urgente&gt;"), std::string::npos);
  EXPECT_EQ(vPedido.vTexto.back(), '>');

  // Nothing found: nothing printed.
  EXPECT_EQ(FChama("FRetornaPedido 001 105 P '" + vDir.FPath() + "'").vTexto, "");
  const TSaida vStatus = FChama("FAtualizaStatusPedido 001 00000104 P '" + vDir.FPath() + "'");
  EXPECT_EQ(vStatus.vCodigo, 0);
  EXPECT_EQ(vStatus.vTexto, "true");
}

TEST(VelmoraCall, FaultExitsWithOne) {
  testsupport::TTempDir vDir;
  PEscreveIni(vDir.FPath(), vDir.FPath() + "/missing.fdb");
  const TSaida vItens = FChama("FRetornaPedidoItem 001 101 P '" + vDir.FPath() + "'");
  EXPECT_EQ(vItens.vCodigo, 1);
  EXPECT_EQ(vItens.vTexto, "");
  EXPECT_EQ(FChama("FRetornaNada 001 101 P").vCodigo, 2);
}

}  // namespace
