// The cost per item of the order items document: a long order costs the
// same per item as a short one (a timing assertion, tier perf).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "OpsFixture.h"

namespace {

using opstest::FChave;

// A long order costs the same per item as a short one.
TEST(FRetornaPedidoItemCusto, PerItemCostDoesNotGrowWithTheOrder) {
  std::string vLinhas = "INSERT INTO PRODUTO VALUES ('100', 'Meia', 'N');\n"
                        "INSERT INTO COMPPROD VALUES ('001', '100', 'U', 4);\n";
  for (int i = 1; i <= 1000; ++i) {
    vLinhas += "INSERT INTO PEDIDOI VALUES ('001', 'P', '" + std::string(i <= 100 ? "100" : "1000") + "', " +
               std::to_string(i) + ", '100', 'U', 18, 10, 0, 0, 0, 9.9, 9.9, 1, 'UN', '001', 5102, NULL, NULL, "
               "NULL, 0, 'T1', 'N', 0, 'N', 'N');\n";
  }
  // Order 100 holds the first 100 rows; order 1000 rows 101 to 1100.
  for (int i = 1; i <= 100; ++i) {
    vLinhas += "INSERT INTO PEDIDOI VALUES ('001', 'P', '1000', " + std::to_string(1000 + i) +
               ", '100', 'U', 18, 10, 0, 0, 0, 9.9, 9.9, 1, 'UN', '001', 5102, NULL, NULL, NULL, 0, 'T1', 'N', 0, "
               "'N', 'N');\n";
  }
  auto vDatabase = opstest::FStoreDatabase(vLinhas);
  port::TMemEnv vEnv;
  tracelog::TProcessLog vLog(vEnv);
  tracelog::PCriaLog("", "S");
  testsupport::PUseFirebirdRoot();
  vEnv.PSetFile(opstest::cIni, "[DATABASE]\nCAMINHO=" + vDatabase->FPath() + "\nUSUARIO=SYSDBA\n");
  data::TFireBird vModulo(vEnv);

  // Seconds per item of one call.
  auto FPorItem = [&](const char* pPedido, std::size_t pItens) {
    const data::TChavePedido vChave = FChave("001", pPedido);
    const auto vInicio = std::chrono::steady_clock::now();
    const std::string vDoc = vModulo.FRetornaPedidoItem(&vChave);
    const std::chrono::duration<double> vTempo = std::chrono::steady_clock::now() - vInicio;
    std::size_t vItens = 0;
    for (std::size_t p = vDoc.find("<Item>"); p != std::string::npos; p = vDoc.find("<Item>", p + 1)) ++vItens;
    EXPECT_EQ(vItens, pItens);
    return vTempo.count() / static_cast<double>(pItens);
  };
  (void)FPorItem("100", 100);  // the first call attaches and prepares
  // The two orders take turns, so that a busy machine slows both alike;
  // the best round of each counts.
  double vCurto = 1e9, vLongo = 1e9;
  for (int vRodada = 0; vRodada < 7; ++vRodada) {
    vCurto = std::min(vCurto, FPorItem("100", 100));
    vLongo = std::min(vLongo, FPorItem("1000", 1000));
  }
  EXPECT_LE(vLongo, 1.5 * vCurto) << "per item: 100 items " << vCurto << " s, 1000 items " << vLongo << " s";
}

}  // namespace
