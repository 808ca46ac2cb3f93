// The agreements document, byte for byte, from real embedded store
// databases: found, deactivated and unknown agreements, conditions present,
// absent or missing, the company contract rate, repeated entries, NULL
// values, a condition table without its optional columns, and the failures.
#include <gtest/gtest.h>

#include "OpsFixture.h"

namespace {

using opstest::FAjudante;
using opstest::FChave;
using opstest::FModuloLinha;

const std::string cCondPag =
    "INSERT INTO CONDPAG (CODPRAZO, DESCRICAO, PRAZO1, PRAZO2, PRAZO3, PERCENT1, PERCENT2, PERCENT3, "
    "AUMENTOPRECO1, GERALANCCH, VENCERNODIA, CARENCIA, NUMPARCELAS) "
    "VALUES ('005', '3x sem juros', 30, 60, 90, 33.33, 33.33, 33.34, 1.5, 'N', 10, 0, 3);\n";

const std::string cLinhas =
    cCondPag +
    "INSERT INTO CONDPAG (CODPRAZO, DESCRICAO, PRAZO1, PRAZO5, PERCENT1, PERCENT5, GERALANCCH) "
    "VALUES ('010', 'Mensal', 30, NULL, 100, NULL, 'S');\n"
    "INSERT INTO CARTCON VALUES ('0007', 'Visa', '1', 2.5, '000001', '5', 10, '1.01.001', 'N', NULL);\n"
    "INSERT INTO CARTCON VALUES ('0012', 'Conv\xEAnio Prefeitura', '2', 5, '000002', '10', NULL, NULL, 'N', 'N');\n"
    "INSERT INTO CARTCON VALUES ('0020', 'Desativado', '2', 1, '000003', '5', 5, 'X', 'N', 'S');\n"
    "INSERT INTO CARTCON VALUES ('0030', 'Sem condi\xE7\xE3o', '1', 0, NULL, NULL, 1, NULL, 'S', NULL);\n"
    "INSERT INTO CARTCON VALUES ('0031', 'Condi\xE7\xE3o vazia', '1', 0, NULL, '', 1, NULL, 'S', NULL);\n"
    "INSERT INTO CARTCON VALUES ('0040', 'D\xE9" "bito', '1', 0, NULL, '77', 1, NULL, 'S', NULL);\n"
    // The company's own contract rate wins over the agreement's; another
    // company's does not count.
    "INSERT INTO CARTCONCOMPL VALUES ('0012', '001', 3.5);\n"
    "INSERT INTO CARTCONCOMPL VALUES ('0007', '002', 9);\n"
    "INSERT INTO CONVENCEFAT VALUES ('001', 'P', '101', 1, 7, 'M1', 'Jos\xE9', 700);\n"
    "INSERT INTO CONVENCEFAT VALUES ('001', 'P', '101', 2, 12, 'M2', 'Ana', NULL);\n"
    "INSERT INTO CONVENCEFAT VALUES ('001', 'P', '101', 3, 12, 'M2', 'Ana', 10.5);\n"
    "INSERT INTO CONVENCEFAT VALUES ('001', 'P', '101', 4, 20, 'M4', 'Rui', 1.5);\n"
    "INSERT INTO CONVENCEFAT VALUES ('001', 'P', '101', 5, 30, NULL, NULL, 5);\n"
    "INSERT INTO CONVENCEFAT VALUES ('001', 'P', '101', 6, 31, 'M6', 'Eva', 6);\n"
    "INSERT INTO CONVENCEFAT VALUES ('001', 'P', '101', 7, 40, 'M7', 'Lu', 7);\n"
    // An agreement without a CartCon row is not listed.
    "INSERT INTO CONVENCEFAT VALUES ('001', 'P', '101', 8, 99, 'M8', 'Zeca', 8);\n";

// "<condPag>" with the 13 terms and percentages; the rest follows.
std::string FCondPag(const std::string& pCodigo, const std::string& pDescricao,
                     const std::vector<std::string>& pPrazos, const std::vector<std::string>& pPercentuais,
                     const std::string& pResto) {
  std::string v = "<condPag><CodPrazo>" + pCodigo + "</CodPrazo><Descricao>" + pDescricao + "</Descricao>";
  for (int n = 1; n <= 13; ++n) {
    const std::string t = "PRAZO" + std::to_string(n);
    v += "<" + t + ">" + (n <= static_cast<int>(pPrazos.size()) ? pPrazos[n - 1] : "0") + "</" + t + ">";
  }
  for (int n = 1; n <= 13; ++n) {
    const std::string t = "PERCENT" + std::to_string(n);
    v += "<" + t + ">" + (n <= static_cast<int>(pPercentuais.size()) ? pPercentuais[n - 1] : "") + "</" + t + ">";
  }
  return v + pResto + "</condPag>";
}

const std::string cDeclaracao = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";

class FRetornaColConveniosTest : public opstest::TOpsTest {
 protected:
  static void SetUpTestSuite() { sDatabase = opstest::FStoreDatabase(cLinhas); }
  static void TearDownTestSuite() { sDatabase.reset(); }
  static inline std::unique_ptr<testsupport::TTempDatabase> sDatabase;

  // Each case's expectations follow the host's decimal separator (FHost).
  void PEveryKindOfEntry();
  void PConditionTableWithoutOptionalColumns();
};

void FRetornaColConveniosTest::PEveryKindOfEntry() {
  const std::string cCond005 = FCondPag(
      "005", "3x sem juros", {"30", "60", "90"}, {FHost("33.33"), FHost("33.33"), FHost("33.34")},
      "<AumentoPreco1>" + FHost("1.5") + "</AumentoPreco1><GeraLancCh>N</GeraLancCh><VencerNoDia>10</VencerNoDia>"
      "<Carencia>0</Carencia><NumParcs>3</NumParcs>");
  // NULL PRAZO5 reads 0, NULL PERCENT5 empty, NULL integers 0.
  const std::string cCond010 =
      FCondPag("010", "Mensal", {"30"}, {"100"},
               "<AumentoPreco1></AumentoPreco1><GeraLancCh>S</GeraLancCh><VencerNoDia>0</VencerNoDia>"
               "<Carencia>0</Carencia><NumParcs>0</NumParcs>");
  const std::string c0012 =
      "<codConvenio>0012</codConvenio><DescConvenio>Conv\xEAnio Prefeitura</DescConvenio>"
      "<codCliente>000002</codCliente><DiaVencCon>0</DiaVencCon><PercDesc>3,5</PercDesc>"
      "<ContaCxaCartCon></ContaCxaCartCon><ConvenioDebito>N</ConvenioDebito>" +
      cCond010;
  const std::string vEsperado =
      cDeclaracao + "<convenios>" +
      "<convenio><codConvenio>0007</codConvenio><DescConvenio>Visa</DescConvenio><codCliente>000001</codCliente>"
      "<DiaVencCon>10</DiaVencCon><PercDesc>2,5</PercDesc><ContaCxaCartCon>1.01.001</ContaCxaCartCon>"
      "<ConvenioDebito>N</ConvenioDebito>" +
      cCond005 + "<matricula>M1</matricula><conveniado>Jos\xE9</conveniado><valor>700,000</valor></convenio>" +
      "<convenio>" + c0012 + "<matricula>M2</matricula><conveniado>Ana</conveniado><valor>0,000</valor></convenio>" +
      "<convenio>" + c0012 + "<matricula>M2</matricula><conveniado>Ana</conveniado><valor>10,500</valor></convenio>" +
      // Deactivated: only the entry's own data.
      "<convenio><matricula>M4</matricula><conveniado>Rui</conveniado><valor>1,500</valor></convenio>"
      // Without a condition code (NULL, then empty): no condPag.
      "<convenio><codConvenio>0030</codConvenio><DescConvenio>Sem condi\xE7\xE3o</DescConvenio>"
      "<codCliente></codCliente><DiaVencCon>1</DiaVencCon><PercDesc>0</PercDesc>"
      "<ContaCxaCartCon></ContaCxaCartCon><ConvenioDebito>S</ConvenioDebito><matricula></matricula>"
      "<conveniado></conveniado><valor>5,000</valor></convenio>"
      "<convenio><codConvenio>0031</codConvenio><DescConvenio>Condi\xE7\xE3o vazia</DescConvenio>"
      "<codCliente></codCliente><DiaVencCon>1</DiaVencCon><PercDesc>0</PercDesc>"
      "<ContaCxaCartCon></ContaCxaCartCon><ConvenioDebito>S</ConvenioDebito><matricula>M6</matricula>"
      "<conveniado>Eva</conveniado><valor>6,000</valor></convenio>"
      // The condition 077 does not exist: condPag holds an empty code.
      "<convenio><codConvenio>0040</codConvenio><DescConvenio>D\xE9" "bito</DescConvenio>"
      "<codCliente></codCliente><DiaVencCon>1</DiaVencCon><PercDesc>0</PercDesc>"
      "<ContaCxaCartCon></ContaCxaCartCon><ConvenioDebito>S</ConvenioDebito><condPag><CodPrazo></CodPrazo>"
      "</condPag><matricula>M7</matricula><conveniado>Lu</conveniado><valor>7,000</valor></convenio>"
      "</convenios>";
  const data::TChavePedido vChave = FChave("001", "101");
  EXPECT_EQ(FModulo(sDatabase->FPath()).FRetornaColConvenios(&vChave), vEsperado);

  std::vector<std::string> vLinhas = {
      FModuloLinha("Entrando no procedimento: FRetornaColConvenios"),
      FAjudante("PCriaTSimpleDataSet"),
      FAjudante("PCriaTSimpleDataSet"),
      FModuloLinha("Preparando para executar Query."),
      "[*] Preparando para popular o arquivo xml.",
  };
  // Rows 0, 1, 2 and 6 look their condition up with a query of their own.
  for (int n = 0; n < 7; ++n) {
    vLinhas.push_back("[*] Inserindo item " + std::to_string(n));
    if (n <= 2 || n == 6) {
      vLinhas.push_back(FAjudante("PCriaTSQLQuery"));
      vLinhas.push_back(FAjudante("PDestroyTSQLQuery"));
    }
  }
  vLinhas.push_back(FModuloLinha("Xml populado com sucesso!"));
  vLinhas.push_back(FAjudante("PDestroyTSimpleDataSet"));
  vLinhas.push_back(FAjudante("PDestroyTSimpleDataSet"));
  EXPECT_EQ(FLinhas(), vLinhas);
}

TEST_F(FRetornaColConveniosTest, EveryKindOfEntry) { PEveryKindOfEntry(); }

// The percentages follow the host's decimal separator, "valor" and
// "PercDesc" get their comma either way, and a text such as the cash
// account "1.01.001" is left alone.
TEST_F(FRetornaColConveniosTest, SameDocumentUnderABrazilianLocale) {
  for (const char vSeparador : {',', '.'}) {
    SCOPED_TRACE(std::string("decimal separator ") + vSeparador);
    vEnv.vDecimalSeparator = vSeparador;
    PEveryKindOfEntry();
    PConditionTableWithoutOptionalColumns();
  }
}

TEST_F(FRetornaColConveniosTest, NoEntriesGiveEmpty) {
  // The order code goes unfilled: "00000101" is another order.
  for (const auto& vChave : {FChave("001", "00000101"), FChave("002", "101"), FChave("001", "101", "D")}) {
    EXPECT_EQ(FModulo(sDatabase->FPath()).FRetornaColConvenios(&vChave), "") << vChave.CodPedido;
    EXPECT_EQ(FLinhas(), (std::vector<std::string>{
                             FModuloLinha("Entrando no procedimento: FRetornaColConvenios"),
                             FAjudante("PCriaTSimpleDataSet"),
                             FAjudante("PCriaTSimpleDataSet"),
                             FModuloLinha("Preparando para executar Query."),
                             FAjudante("PDestroyTSimpleDataSet"),
                             FAjudante("PDestroyTSimpleDataSet"),
                         }));
  }
}

TEST_F(FRetornaColConveniosTest, FailuresAreLoggedAfterTheQueriesAreReleased) {
  const data::TChavePedido vChave = FChave("001", "101");
  struct {
    std::string vCaminho;
    const data::TChavePedido* vChave;
    std::string vErro;
  } const cCasos[] = {
      {"/nonexistent/velmora/loja.fdb", &vChave, "ERRO [TFireBird] Exce\xE7\xE3o EDatabaseError: "},
      {sDatabase->FPath(), nullptr,
       "ERRO [TFireBird] Exce\xE7\xE3o EChaveNaoInformada: Chave do pedido n\xE3o informada"},
  };
  for (const auto& c : cCasos) {
    EXPECT_EQ(FModulo(c.vCaminho).FRetornaColConvenios(c.vChave), "");
    const std::vector<std::string> vLinhas = FLinhas();
    ASSERT_EQ(vLinhas.size(), 7u);
    EXPECT_EQ(vLinhas[4], FAjudante("PDestroyTSimpleDataSet"));
    EXPECT_EQ(vLinhas[5], FAjudante("PDestroyTSimpleDataSet"));
    EXPECT_EQ(vLinhas[6].rfind(c.vErro, 0), 0u) << vLinhas[6];
  }
}

void FRetornaColConveniosTest::PConditionTableWithoutOptionalColumns() {
  testsupport::TTempDatabase vAntiga(opstest::FSchema() +
                                     "ALTER TABLE CONDPAG DROP VENCERNODIA, DROP CARENCIA, DROP NUMPARCELAS;\n"
                                     "COMMIT;\n"
                                     "INSERT INTO CONDPAG (CODPRAZO, DESCRICAO, PRAZO1, PRAZO2, PRAZO3, PERCENT1, "
                                     "PERCENT2, PERCENT3, AUMENTOPRECO1, GERALANCCH) VALUES ('005', '3x sem juros', "
                                     "30, 60, 90, 33.33, 33.33, 33.34, 1.5, 'N');\n"
                                     "INSERT INTO CARTCON VALUES ('0007', 'Visa', '1', 2.5, '000001', '005', 10, "
                                     "NULL, 'N', NULL);\n"
                                     "INSERT INTO CONVENCEFAT VALUES ('001', 'P', '101', 1, 7, 'M1', 'Ana', 1);\n");
  const std::string vEsperado =
      cDeclaracao +
      "<convenios><convenio><codConvenio>0007</codConvenio><DescConvenio>Visa</DescConvenio>"
      "<codCliente>000001</codCliente><DiaVencCon>10</DiaVencCon><PercDesc>2,5</PercDesc>"
      "<ContaCxaCartCon></ContaCxaCartCon><ConvenioDebito>N</ConvenioDebito>" +
      FCondPag("005", "3x sem juros", {"30", "60", "90"}, {FHost("33.33"), FHost("33.33"), FHost("33.34")},
               "<AumentoPreco1>" + FHost("1.5") + "</AumentoPreco1><GeraLancCh>N</GeraLancCh>") +
      "<matricula>M1</matricula><conveniado>Ana</conveniado><valor>1,000</valor></convenio></convenios>";
  const data::TChavePedido vChave = FChave("001", "101");
  EXPECT_EQ(FModulo(vAntiga.FPath()).FRetornaColConvenios(&vChave), vEsperado);
  EXPECT_TRUE(FErros().empty());
}

TEST_F(FRetornaColConveniosTest, ConditionTableWithoutOptionalColumns) { PConditionTableWithoutOptionalColumns(); }

}  // namespace
