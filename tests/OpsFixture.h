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
#include "support/TestText.h"
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
    vEnv.PSetFile(cIni, testsupport::FIniText(pCaminho));
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

  // A number as the data-access layer reads it as text: the decimal
  // separator of the host's number settings (vEnv.vDecimalSeparator).
  [[nodiscard]] std::string FHost(std::string pNumero) const {
    std::replace(pNumero.begin(), pNumero.end(), '.', vEnv.vDecimalSeparator);
    return pNumero;
  }

  port::TMemEnv vEnv;
  tracelog::TProcessLog vLog{vEnv};
  std::unique_ptr<data::TFireBird> vModulo;

 private:
  std::vector<std::string> FTodasLinhas() {
    return testsupport::FSenderLines(vEnv.FFile(tracelog::FRetornaLog().FFileName()), true);
  }

  std::size_t vInicio = 0;
};

// A query helper's own trace line, written without a sender.
inline std::string FAjudante(const std::string& pNome) { return "[*] Entrando no procedimento: " + pNome; }
inline std::string FModuloLinha(const std::string& pMensagem) { return "[TFireBird] " + pMensagem; }

}  // namespace opstest
