// The order items document, byte for byte, from a real embedded store
// database: stock per product or per grade as ParamEcf says, items without
// stock or product rows, NULL integers, sequence order and its trace lines,
// the failures that go on to the caller and those logged here (the cost per
// item of a long order is in FRetornaPedidoItemCusto_test.cpp, tier perf).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "OpsFixture.h"
#include "data/SQLConnection.h"

namespace {

using opstest::FAjudante;
using opstest::FChave;
using opstest::FModuloLinha;

// The same order 10 in every company; only the ParamEcf switches differ.
// Items are stored out of sequence; 999 has no product row.
std::string FItens(const std::string& pEmpresa) {
  const std::string e = "'" + pEmpresa + "'";
  return "INSERT INTO PEDIDOI VALUES (" + e +
         ", 'P', '10', 3, '100', '38', 12, 0, 5, 0, 0.75, 10, 10, 1, 'PC', '002', 6108, NULL, NULL, NULL, "
         "0, 'T2', 'S', -1.5, 'S', 'S');\n"
         "INSERT INTO PEDIDOI VALUES (" + e +
         ", 'P', '10', 1, '100', '40', 18, 100.5, 0, 1.5, 0, 99.9, 110, 2.5, 'UN', '001', 5102, 'SN1', "
         "'C1', '11 5555', 7, 'T1', 'N', 3.33, 'N', 'N');\n"
         "INSERT INTO PEDIDOI (CODEMPRESA, TIPOPEDIDO, CODPEDIDO, SEQUENCIA, CODPROD, CODGRADE) VALUES (" + e +
         ", 'P', '10', 2, '200', 'U');\n"
         "INSERT INTO PEDIDOI (CODEMPRESA, TIPOPEDIDO, CODPEDIDO, SEQUENCIA, CODPROD) VALUES (" + e +
         ", 'P', '10', 4, '999');\n"
         "INSERT INTO COMPPROD VALUES (" + e + ", '100', '38', 3.25);\n"
         "INSERT INTO COMPPROD VALUES (" + e + ", '100', '40', 5);\n";
}

const std::string cLinhas =
    "INSERT INTO PRODUTO VALUES ('100', 'T\xEAnis', 'S');\n"
    "INSERT INTO PRODUTO VALUES ('200', 'Garantia', NULL);\n"
    "INSERT INTO PRODUTO VALUES ('300', 'Meia', 'N');\n"
    "INSERT INTO PARAMECF VALUES ('001', 'S', 'S', 'N');\n"
    "INSERT INTO PARAMECF VALUES ('002', 'S', 'N', 'N');\n"
    "INSERT INTO PARAMECF VALUES ('003', 's', 'S', 'N');\n"
    "INSERT INTO PARAMECF VALUES ('004', 'N', 'S', 'N');\n"
    "INSERT INTO PARAMECF VALUES ('005', 'S', 's', 'N');\n" +
    FItens("001") + FItens("002") + FItens("003") + FItens("004") + FItens("005") + FItens("006") +
    // Stock of another company never counts.
    "INSERT INTO COMPPROD VALUES ('009', '100', '40', 100);\n"
    // An order whose only item has no product row.
    "INSERT INTO PEDIDOI (CODEMPRESA, TIPOPEDIDO, CODPEDIDO, SEQUENCIA, CODPROD) VALUES ('001', 'P', '11', 1, "
    "'999');\n";

std::string FItem1(const std::string& pEstoque) {
  return "<Item><CodPedido>10</CodPedido><CodProd>100</CodProd><CodGrade>40</CodGrade><AliqIcm>18,000</AliqIcm>"
         "<BaseIcm>100,500</BaseIcm><AliqIss>0,000</AliqIss><DescontoVlr>1,500</DescontoVlr>"
         "<AcrescimoVlr>0,000</AcrescimoVlr><PrecoUnit>99,900</PrecoUnit><PrecoTabela>110,000</PrecoTabela>"
         "<Quantidade>2,500</Quantidade><UnidadeSaida>UN</UnidadeSaida><CodTVenda>001</CodTVenda>"
         "<Operacao>5102</Operacao><Serie>SN1</Serie><Contrato>C1</Contrato><Fone>11 5555</Fone>"
         "<CodPromo>7</CodPromo><Tabela>T1</Tabela><ControleSerie>S</ControleSerie>"
         "<AutRefidelizacao>N</AutRefidelizacao><TotalRateado>3,330</TotalRateado><ClaroTeste>N</ClaroTeste>"
         "<Cancelado>N</Cancelado><Estoque>" +
         pEstoque + "</Estoque></Item>";
}

// Without stock rows and with NULL everywhere: amounts 0,000, integers 0,
// texts and Estoque empty.
const std::string cItem2 =
    "<Item><CodPedido>10</CodPedido><CodProd>200</CodProd><CodGrade>U</CodGrade><AliqIcm>0,000</AliqIcm>"
    "<BaseIcm>0,000</BaseIcm><AliqIss>0,000</AliqIss><DescontoVlr>0,000</DescontoVlr>"
    "<AcrescimoVlr>0,000</AcrescimoVlr><PrecoUnit>0,000</PrecoUnit><PrecoTabela>0,000</PrecoTabela>"
    "<Quantidade>0,000</Quantidade><UnidadeSaida></UnidadeSaida><CodTVenda></CodTVenda><Operacao>0</Operacao>"
    "<Serie></Serie><Contrato></Contrato><Fone></Fone><CodPromo>0</CodPromo><Tabela></Tabela>"
    "<ControleSerie></ControleSerie><AutRefidelizacao></AutRefidelizacao><TotalRateado>0,000</TotalRateado>"
    "<ClaroTeste></ClaroTeste><Cancelado></Cancelado><Estoque></Estoque></Item>";

std::string FItem3(const std::string& pEstoque) {
  return "<Item><CodPedido>10</CodPedido><CodProd>100</CodProd><CodGrade>38</CodGrade><AliqIcm>12,000</AliqIcm>"
         "<BaseIcm>0,000</BaseIcm><AliqIss>5,000</AliqIss><DescontoVlr>0,000</DescontoVlr>"
         "<AcrescimoVlr>0,750</AcrescimoVlr><PrecoUnit>10,000</PrecoUnit><PrecoTabela>10,000</PrecoTabela>"
         "<Quantidade>1,000</Quantidade><UnidadeSaida>PC</UnidadeSaida><CodTVenda>002</CodTVenda>"
         "<Operacao>6108</Operacao><Serie></Serie><Contrato></Contrato><Fone></Fone><CodPromo>0</CodPromo>"
         "<Tabela>T2</Tabela><ControleSerie>S</ControleSerie><AutRefidelizacao>S</AutRefidelizacao>"
         "<TotalRateado>-1,500</TotalRateado><ClaroTeste>S</ClaroTeste><Cancelado>S</Cancelado><Estoque>" +
         pEstoque + "</Estoque></Item>";
}

class FRetornaPedidoItemTest : public opstest::TOpsTest {
 protected:
  static void SetUpTestSuite() { sDatabase = opstest::FStoreDatabase(cLinhas); }
  static void TearDownTestSuite() { sDatabase.reset(); }
  static inline std::unique_ptr<testsupport::TTempDatabase> sDatabase;

  std::string FItens(const data::TChavePedido& pChave) {
    return FModulo(sDatabase->FPath()).FRetornaPedidoItem(&pChave);
  }

  // Each case's expectations follow the host's decimal separator (FHost).
  void PStockPerGradeOnlyWhenBothSwitchesAreExactlyS();
};

const std::string cDeclaracao = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";

void FRetornaPedidoItemTest::PStockPerGradeOnlyWhenBothSwitchesAreExactlyS() {
  const char* const cPorGrade = "001";
  for (const char* vEmpresa : {"001", "002", "003", "004", "005", "006"}) {
    const bool vGrade = std::string(vEmpresa) == cPorGrade;
    const std::string vEsperado = cDeclaracao + "<ListaItem>" + FItem1(vGrade ? "5" : FHost("8.25")) + cItem2 +
                                  FItem3(FHost(vGrade ? "3.25" : "8.25")) + "</ListaItem>";
    EXPECT_EQ(FItens(FChave(vEmpresa, "10")), vEsperado) << vEmpresa;
  }
}

TEST_F(FRetornaPedidoItemTest, StockPerGradeOnlyWhenBothSwitchesAreExactlyS) { PStockPerGradeOnlyWhenBothSwitchesAreExactlyS(); }

// "Estoque" follows the host's decimal separator; the amounts keep their comma.
TEST_F(FRetornaPedidoItemTest, SameDocumentUnderABrazilianLocale) {
  for (const char vSeparador : {',', '.'}) {
    SCOPED_TRACE(std::string("decimal separator ") + vSeparador);
    vEnv.vDecimalSeparator = vSeparador;
    PStockPerGradeOnlyWhenBothSwitchesAreExactlyS();
  }
}

TEST_F(FRetornaPedidoItemTest, TraceLinesCountTheItemsInSequence) {
  ASSERT_NE(FItens(FChave("002", "10")), "");
  EXPECT_EQ(FLinhas(), (std::vector<std::string>{
                           FModuloLinha("Entrando no procedimento: FRetornaPedidoItem"),
                           FModuloLinha("Verificando par\xE2metros ValidarEst, ValidaEstGrade"),
                           FAjudante("PCriaTSQLQuery"),
                           FAjudante("PDestroyTSQLQuery"),
                           FAjudante("PCriaTSimpleDataSet"),
                           FModuloLinha("Preparando para executar Query."),
                           "[*] Preparando para popular o arquivo xml.",
                           "[*] Inserindo item 0",
                           "[*] Inserindo item 1",
                           "[*] Inserindo item 2",
                           FModuloLinha("Xml populado com sucesso!"),
                           FAjudante("PDestroyTSimpleDataSet"),
                       }));
}

TEST_F(FRetornaPedidoItemTest, NoItemsGiveEmpty) {
  // The items keep the order code unfilled: "00000010" is another order.
  for (const auto& vChave : {FChave("001", "11"), FChave("001", "00000010"), FChave("001", "10", "D")}) {
    EXPECT_EQ(FItens(vChave), "") << vChave.CodPedido;
    const std::vector<std::string> vLinhas = FLinhas();
    EXPECT_EQ(std::count(vLinhas.begin(), vLinhas.end(), "[*] Preparando para popular o arquivo xml."), 0);
    EXPECT_EQ(vLinhas.back(), FAjudante("PDestroyTSimpleDataSet"));
    EXPECT_TRUE(FErros().empty());
  }
}

TEST_F(FRetornaPedidoItemTest, WithoutKeyNothingIsTouched) {
  EXPECT_EQ(FModulo("/nonexistent/velmora/loja.fdb").FRetornaPedidoItem(nullptr), "");
  EXPECT_EQ(FLinhas(), (std::vector<std::string>{FModuloLinha("Entrando no procedimento: FRetornaPedidoItem")}));
}

TEST_F(FRetornaPedidoItemTest, UnreachableDatabaseReachesTheCaller) {
  const data::TChavePedido vChave = FChave("001", "10");
  data::TFireBird& vModulo = FModulo("/nonexistent/velmora/loja.fdb");
  EXPECT_THROW((void)vModulo.FRetornaPedidoItem(&vChave), data::EDatabaseError);
  // The parameter query is released; nothing is logged as an exception here.
  EXPECT_EQ(FLinhas(), (std::vector<std::string>{
                           FModuloLinha("Entrando no procedimento: FRetornaPedidoItem"),
                           FModuloLinha("Verificando par\xE2metros ValidarEst, ValidaEstGrade"),
                           FAjudante("PCriaTSQLQuery"),
                           FAjudante("PDestroyTSQLQuery"),
                       }));
}

TEST_F(FRetornaPedidoItemTest, FailureOfTheItemsStatementIsLogged) {
  // ParamEcf is there, the items tables are not.
  testsupport::TTempDatabase vSemItens(
      "CREATE TABLE PARAMECF (CODEMPRESA VARCHAR(3), VALIDAREST CHAR(1), VALIDAESTGRADE CHAR(1));\n");
  const data::TChavePedido vChave = FChave("001", "10");
  EXPECT_EQ(FModulo(vSemItens.FPath()).FRetornaPedidoItem(&vChave), "");
  const std::vector<std::string> vLinhas = FLinhas();
  ASSERT_GE(vLinhas.size(), 2u);
  EXPECT_EQ(vLinhas[vLinhas.size() - 2], FAjudante("PDestroyTSimpleDataSet"));
  EXPECT_EQ(vLinhas.back().rfind("ERRO [TFireBird] Exce\xE7\xE3o EDatabaseError: ", 0), 0u) << vLinhas.back();
}

}  // namespace
