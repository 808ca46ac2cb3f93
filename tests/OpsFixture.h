// Shared by the tests of the data operations: a real embedded store
// database made from the demo schema plus each test's own rows, a TFireBird
// whose configuration file (in an in-memory environment) points at it, and
// the trace lines the operation left.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "data/uClassChavePedido.h"
#include "data/uClassFireBird.h"
#include "port/Env.h"
#include "port/MemEnv.h"
#include "support/FirebirdFixture.h"
#include "tracelog/LogNFe.h"

namespace opstest {

constexpr const char* cExe = "/opt/velmora/velmora.cgi";
constexpr const char* cIni = "/opt/velmora/caminhoBDQuindar.ini";

// The store schema of the demo database, which the service reads.
inline std::string FSchema() {
  std::ifstream vIn(std::string(VELMORA_SOURCE_DIR) + "/demo/schema.sql", std::ios::binary);
  std::ostringstream vText;
  vText << vIn.rdbuf();
  return vText.str();
}

// A database of the store schema holding pRows (statements, 8-bit text as
// the store writes it).
inline std::unique_ptr<testsupport::TTempDatabase> FStoreDatabase(const std::string& pRows) {
  return std::make_unique<testsupport::TTempDatabase>(FSchema() + "\n" + pRows);
}

inline data::TChavePedido FChave(const std::string& pEmpresa, const std::string& pPedido,
                                 const std::string& pTipo = "P") {
  data::TChavePedido vChave;
  vChave.CodEmpresa = pEmpresa;
  vChave.CodPedido = pPedido;
  vChave.TipoPedido = pTipo;
  return vChave;
}

class TOpsTest : public ::testing::Test {
 protected:
  // The process's log, opened as start-up opens it before the module exists.
  void SetUp() override {
    vEnv.vExePath = cExe;
    tracelog::PCriaLog("", "S");
    testsupport::PUseFirebirdRoot();
  }
  void TearDown() override { vModulo.reset(); }

  // The module of the process, configured for pCaminho; the trace lines of
  // its construction are left out of FLinhas().
  data::TFireBird& FModulo(const std::string& pCaminho) {
    vEnv.PSetFile(cIni, "[DATABASE]\r\nCAMINHO=" + pCaminho + "\r\nUSUARIO=SYSDBA\r\nSENHA=masterkey\r\n");
    vModulo = std::make_unique<data::TFireBird>(vEnv);
    PMarcaLog();
    return *vModulo;
  }

  // From here on FLinhas() shows only the lines written later.
  void PMarcaLog() { vInicio = FTodasLinhas().size(); }

  // The trace lines since the mark, as "[sender] message" for INFO lines and
  // "ERRO [sender] message" for ERRO lines (their first line only).
  std::vector<std::string> FLinhas() {
    std::vector<std::string> vLines = FTodasLinhas();
    return std::vector<std::string>(vLines.begin() + static_cast<std::ptrdiff_t>(vInicio), vLines.end());
  }

  // ERRO lines since the mark.
  std::vector<std::string> FErros() {
    std::vector<std::string> vErros;
    for (const std::string& vLine : FLinhas())
      if (vLine.rfind("ERRO ", 0) == 0) vErros.push_back(vLine);
    return vErros;
  }

  port::TMemEnv vEnv;
  tracelog::TProcessLog vLog{vEnv};
  std::unique_ptr<data::TFireBird> vModulo;

 private:
  std::vector<std::string> FTodasLinhas() {
    const std::string vText = vEnv.FFile(tracelog::FRetornaLog().FFileName());
    std::vector<std::string> vLines;
    std::size_t vStart = 0;
    for (std::size_t vEnd; (vEnd = vText.find("\r\n", vStart)) != std::string::npos; vStart = vEnd + 2) {
      const std::string vLine = vText.substr(vStart, vEnd - vStart);
      // Stack listing lines are indented; they are no log lines of their own.
      if (vLine.empty() || vLine[0] == ' ') continue;
      const std::size_t vOpen = vLine.find(" : [");
      if (vOpen == std::string::npos || vOpen < 6) continue;
      const std::string vNivel = vLine.substr(vOpen - 6, 6);
      std::string vSender = vLine.substr(vOpen + 4, vLine.find(']', vOpen) - vOpen - 4);
      vSender.erase(vSender.find_last_not_of(' ') + 1);
      if (vSender == "TLog") continue;
      const std::string vMessage = vLine.substr(vLine.find("] ", vOpen) + 2);
      vLines.push_back((vNivel == "ERRO  " ? "ERRO [" : "[") + vSender + "] " + vMessage);
    }
    return vLines;
  }

  std::size_t vInicio = 0;
};

// A number as the data-access layer reads it as text: the decimal separator
// of the locale the process was started with.
inline std::string FHost(std::string pNumero) {
  std::replace(pNumero.begin(), pNumero.end(), '.', port::FDecimalSeparator());
  return pNumero;
}

// Runs the test cases pFiltro (a --gtest_filter) of this very test program
// again in a child process started under a Brazilian locale, whose decimal
// separator is a comma; the expectations that use FHost follow it there.
// Skips the calling test when localedef cannot build pt_BR here.
inline void PRodaSobLocaleBrasileiro(const std::string& pFiltro) {
  testsupport::TTempDir vLocales;
  const std::string vLocale = vLocales.FPath() + "/pt_BR.UTF-8";
  if (std::system(("localedef -i pt_BR -f UTF-8 '" + vLocale + "' >/dev/null 2>&1").c_str()) != 0)
    GTEST_SKIP() << "localedef cannot build pt_BR here";
  const std::string vSaida = vLocales.FPath() + "/saida.txt";
  const std::string vComando = "env -u LANG -u LC_NUMERIC LOCPATH='" + vLocales.FPath() +
                               "' LC_ALL=pt_BR.UTF-8 '" + std::filesystem::read_symlink("/proc/self/exe").string() +
                               "' --gtest_filter='" + pFiltro + "' >'" + vSaida + "' 2>&1";
  const int vStatus = std::system(vComando.c_str());
  std::ifstream vIn(vSaida, std::ios::binary);
  std::ostringstream vTexto;
  vTexto << vIn.rdbuf();
  EXPECT_TRUE(WIFEXITED(vStatus) && WEXITSTATUS(vStatus) == 0) << vTexto.str();
  // A filter that matched nothing would pass without checking anything.
  EXPECT_EQ(vTexto.str().find("Running 0 tests"), std::string::npos) << vTexto.str();
}

// A query helper's own trace line, written without a sender.
inline std::string FAjudante(const std::string& pNome) { return "[*] Entrando no procedimento: " + pNome; }
inline std::string FModuloLinha(const std::string& pMensagem) { return "[TFireBird] " + pMensagem; }

}  // namespace opstest
