// The order status update, checked by reading the real embedded database
// afterwards: with and without pre-sales, without a ParamEcf row, a key that
// matches nothing, repeated calls, a row locked by another transaction, and
// an unreachable database.
#include <gtest/gtest.h>

#include <chrono>

#include "OpsFixture.h"
#include "data/SQLConnection.h"
#include "data/SQLQuery.h"

namespace {

using opstest::FAjudante;
using opstest::FChave;
using opstest::FModuloLinha;

const std::string cLinhas =
    "INSERT INTO PARAMECF (CODEMPRESA, USAPREVENDA) VALUES ('001', 'S');\n"
    "INSERT INTO PARAMECF (CODEMPRESA, USAPREVENDA) VALUES ('002', 'N');\n"
    "INSERT INTO PARAMECF (CODEMPRESA, USAPREVENDA) VALUES ('003', 's');\n"
    "INSERT INTO PEDIDOC (CODEMPRESA, TIPOPEDIDO, CODPEDIDO, STATUSPEDIDO, FATURADO, NUMCUPOM) "
    "VALUES ('001', 'P', '00000104', '01', 'N', 18790);\n"
    "INSERT INTO PEDIDOC (CODEMPRESA, TIPOPEDIDO, CODPEDIDO, STATUSPEDIDO, FATURADO, NUMCUPOM) "
    "VALUES ('001', 'P', '00000105', '01', 'N', 18791);\n"
    "INSERT INTO PEDIDOC (CODEMPRESA, TIPOPEDIDO, CODPEDIDO, STATUSPEDIDO, FATURADO, NUMCUPOM) "
    "VALUES ('001', 'D', '00000104', '01', 'N', 18792);\n"
    "INSERT INTO PEDIDOC (CODEMPRESA, TIPOPEDIDO, CODPEDIDO, STATUSPEDIDO, FATURADO, NUMCUPOM) "
    "VALUES ('002', 'P', '00000201', '01', 'N', 5531);\n"
    "INSERT INTO PEDIDOC (CODEMPRESA, TIPOPEDIDO, CODPEDIDO, STATUSPEDIDO, FATURADO, NUMCUPOM) "
    "VALUES ('003', 'P', '00000301', '01', 'N', 700);\n"
    "INSERT INTO PEDIDOC (CODEMPRESA, TIPOPEDIDO, CODPEDIDO, STATUSPEDIDO, FATURADO, NUMCUPOM) "
    "VALUES ('004', 'P', '00000401', '01', 'N', 800);\n";

// Every order as "empresa tipo pedido status faturado numcupom".
const std::vector<std::string> cAntes = {
    "001 D 00000104 01 N 18792", "001 P 00000104 01 N 18790", "001 P 00000105 01 N 18791",
    "002 P 00000201 01 N 5531",  "003 P 00000301 01 N 700",   "004 P 00000401 01 N 800",
};

class FAtualizaStatusPedidoTest : public opstest::TOpsTest {
 protected:
  void SetUp() override {
    TOpsTest::SetUp();
    vDatabase = opstest::FStoreDatabase(cLinhas);
    vLeitura.PSetParam("Database", vDatabase->FPath());
  }
  void TearDown() override {
    vLeitura.PClose();
    TOpsTest::TearDown();
  }

  bool FAtualiza(const data::TChavePedido& pChave) {
    return FModulo(vDatabase->FPath()).FAtualizaStatusPedido(&pChave);
  }

  std::vector<std::string> FPedidos() {
    data::TSQLQuery q;
    q.PSetConnection(&vLeitura);
    q.SQL.Add("select * from pedidoc order by codempresa, tipopedido, codpedido");
    q.Open();
    std::vector<std::string> vPedidos;
    for (; !q.Eof(); q.Next()) {
      std::string vLinha;
      for (const char* c : {"codempresa", "tipopedido", "codpedido", "statuspedido", "faturado", "numcupom"})
        vLinha += (vLinha.empty() ? "" : " ") + q.FieldByName(c).AsString();
      vPedidos.push_back(vLinha);
    }
    return vPedidos;
  }

  std::unique_ptr<testsupport::TTempDatabase> vDatabase;
  data::TSQLConnection vLeitura;
};

TEST_F(FAtualizaStatusPedidoTest, PreSalesDecideStatusAndCoupon) {
  // Pre-sales only with "S" exactly; without a ParamEcf row, none.
  EXPECT_TRUE(FAtualiza(FChave("001", "00000104")));
  EXPECT_EQ(FLinhas(), (std::vector<std::string>{
                           FModuloLinha("Entrando no procedimento: FAtualizaStatusPedido"),
                           FModuloLinha("Verificando par\xE2metro UsaPreVenda"),
                           FAjudante("PCriaTSQLQuery"),
                           FAjudante("PDestroyTSQLQuery"),
                           FAjudante("PCriaTSQLQuery"),
                           FAjudante("PDestroyTSQLQuery"),
                       }));
  EXPECT_TRUE(FAtualiza(FChave("002", "00000201")));
  EXPECT_TRUE(FAtualiza(FChave("003", "00000301")));
  EXPECT_TRUE(FAtualiza(FChave("004", "00000401")));
  const std::vector<std::string> vDepois = {
      "001 D 00000104 01 N 18792", "001 P 00000104 02 X ",   "001 P 00000105 01 N 18791",
      "002 P 00000201 00 X 5531",  "003 P 00000301 00 X 700", "004 P 00000401 00 X 800",
  };
  EXPECT_EQ(FPedidos(), vDepois);
  // A second call leaves the same result.
  EXPECT_TRUE(FAtualiza(FChave("001", "00000104")));
  EXPECT_TRUE(FAtualiza(FChave("002", "00000201")));
  EXPECT_EQ(FPedidos(), vDepois);
}

TEST_F(FAtualizaStatusPedidoTest, KeyMatchingNoOrderChangesNothing) {
  // The order code goes unfilled: "104" is no order.
  for (const auto& vChave : {FChave("001", "104"), FChave("001", "00000104", "X"), FChave("009", "00000104")})
    EXPECT_TRUE(FAtualiza(vChave)) << vChave.CodEmpresa << " " << vChave.CodPedido;
  EXPECT_EQ(FPedidos(), cAntes);
}

TEST_F(FAtualizaStatusPedidoTest, WithoutKeyNothingIsTouched) {
  EXPECT_FALSE(FModulo("/nonexistent/velmora/loja.fdb").FAtualizaStatusPedido(nullptr));
  EXPECT_EQ(FLinhas(),
            (std::vector<std::string>{FModuloLinha("Entrando no procedimento: FAtualizaStatusPedido")}));
}

TEST_F(FAtualizaStatusPedidoTest, LockedRowGivesFalseSoonAndSilently) {
  // Another transaction holds the row: a forward-only query keeps its
  // transaction open until its last row has been read.
  data::TSQLConnection vOutra;
  vOutra.PSetParam("Database", vDatabase->FPath());
  data::TSQLQuery vTrava;
  vTrava.PSetConnection(&vOutra);
  vTrava.SQL.Add("select codpedido from pedidoc where codempresa = '002' for update with lock");
  vTrava.Open();
  ASSERT_FALSE(vTrava.Eof());

  const auto vInicio = std::chrono::steady_clock::now();
  EXPECT_FALSE(FAtualiza(FChave("002", "00000201")));
  EXPECT_LT(std::chrono::steady_clock::now() - vInicio, std::chrono::seconds(8));
  EXPECT_TRUE(FErros().empty());
  EXPECT_EQ(FLinhas().back(), FAjudante("PDestroyTSQLQuery"));

  vTrava.Close();
  vOutra.PClose();
  EXPECT_EQ(FPedidos(), cAntes);
  // Once the lock is gone the same call succeeds.
  EXPECT_TRUE(FAtualiza(FChave("002", "00000201")));
}

TEST_F(FAtualizaStatusPedidoTest, UnreachableDatabaseReachesTheCaller) {
  const data::TChavePedido vChave = FChave("001", "00000104");
  data::TFireBird& vModulo = FModulo("/nonexistent/velmora/loja.fdb");
  EXPECT_THROW((void)vModulo.FAtualizaStatusPedido(&vChave), data::EDatabaseError);
  EXPECT_EQ(FLinhas(), (std::vector<std::string>{
                           FModuloLinha("Entrando no procedimento: FAtualizaStatusPedido"),
                           FModuloLinha("Verificando par\xE2metro UsaPreVenda"),
                           FAjudante("PCriaTSQLQuery"),
                           FAjudante("PDestroyTSQLQuery"),
                       }));
}

}  // namespace
