// The financings document, byte for byte, from a real embedded store
// database: a financing with its company's active plans and its chosen
// plan, a missing finance company, the document-code suffixes of 1, 3 and
// 11 financings and of an order without its header row, the financings that
// are not listed, and the failures.
#include <gtest/gtest.h>

#include <algorithm>

#include "OpsFixture.h"
#include "xml/XMLFinanciamento.h"

namespace {

using opstest::FAjudante;
using opstest::FChave;
using opstest::FModuloLinha;

std::string FFinanciamento(const std::string& pPedido, int pSequencia, const std::string& pFinanceira,
                           const std::string& pPlano, const std::string& pDescricao) {
  return "INSERT INTO FINANCIAMENTO VALUES ('001', 'P', '" + pPedido + "', " + std::to_string(pSequencia) +
         ", '" + pFinanceira + "', '" + pPlano + "', '" + pDescricao + "', 1000, 105.23, 12.5);\n";
}

std::string FLinhasDoBanco() {
  std::string v =
      "INSERT INTO FINANCEIRA VALUES ('0001', 'Financeira Um', 'Rua A, 1 & 2', '1133334444', 'S', 'Carla', 'S', "
      "'N', '001', '002', '000900', 5.5, 30);\n"
      "INSERT INTO FINANCEIRA VALUES ('0002', 'Financeira Dois', NULL, NULL, 'N', NULL, 'N', 'N', NULL, NULL, "
      "NULL, NULL, NULL);\n"
      // Plans of 0001: Ativo "S" and NULL are listed, "N" is not.
      "INSERT INTO PLANOSFINANC (CODFINANCEIRA, CODFORMAPGTO, CODPLANO, DESCFORMAPGTO, NUMPARC, COEFICIENTE00, "
      "SEGUROFINANCIAMENTO, TAXACOBRADA, ATIVO, ENTRADA, TAXAAM, TAXAA, TAC, TAXARETENCAO, TACLOJA) VALUES "
      "('0001', '001', 'P10', 'Carn\xEA 10x', 10, 0.10523, 0.0125, 2.99, 'S', 'N', 1.99, 26.5, 15, 0.5, 3);\n"
      "INSERT INTO PLANOSFINANC (CODFINANCEIRA, CODFORMAPGTO, CODPLANO, DESCFORMAPGTO, NUMPARC, "
      "COEFICIENTEMENOS15, COEFICIENTEMAIS120, ATIVO, TAC) VALUES "
      "('0001', '001', 'P12', 'Carn\xEA 12x', 12, 0.09, 0.12, NULL, 20);\n"
      "INSERT INTO PLANOSFINANC (CODFINANCEIRA, CODFORMAPGTO, CODPLANO, DESCFORMAPGTO, NUMPARC, ATIVO) VALUES "
      "('0001', '000', 'P06', 'Inativo', 6, 'N');\n"
      "INSERT INTO PLANOSFINANC (CODFINANCEIRA, CODFORMAPGTO, CODPLANO, DESCFORMAPGTO, NUMPARC, ATIVO, TAC) "
      "VALUES ('0002', '001', 'P03', '3x', 3, 'S', 0);\n"
      // The plan exists, its finance company does not.
      "INSERT INTO PLANOSFINANC (CODFINANCEIRA, CODFORMAPGTO, CODPLANO, DESCFORMAPGTO, NUMPARC, ATIVO, TAC) "
      "VALUES ('0099', '001', 'X01', 'Avulso', 1, 'S', 7.5);\n";
  for (const char* p : {"1", "3", "11", "5"})
    v += "INSERT INTO PEDIDOC (CODEMPRESA, TIPOPEDIDO, CODPEDIDO, CODCLIENTE, FATURADO) VALUES ('001', 'P', '" +
         std::string(p) + "', '00000" + p[0] + "', 'N');\n";
  v += "INSERT INTO PEDIDOC (CODEMPRESA, TIPOPEDIDO, CODPEDIDO, CODCLIENTE, FATURADO) VALUES "
       "('001', 'P', '4', '000004', 'X');\n";
  v += FFinanciamento("1", 1, "0001", "P10", "Carn\xEA 10x");
  // Its plan does not exist: not listed.
  v += FFinanciamento("1", 2, "0001", "P99", "Carn\xEA 10x");
  for (int i = 1; i <= 3; ++i) v += FFinanciamento("3", i, "0002", "P03", "3x");
  for (int i = 1; i <= 11; ++i) v += FFinanciamento("11", i, "0002", "P03", "3x");
  v += FFinanciamento("4", 1, "0002", "P03", "3x");
  v += FFinanciamento("5", 1, "0099", "X01", "Avulso");
  v += FFinanciamento("199", 1, "0002", "P03", "3x");
  return v;
}

const std::string cDeclaracao = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";

// A plan item: the 28 coefficients empty except those given.
std::string FPlano(const std::string& pInicio, const std::vector<std::pair<std::string, std::string>>& pCoef,
                   const std::string& pFim) {
  std::string v = "<Plano>" + pInicio;
  for (std::string_view vNome : xmlbind::TXMLPlanoType::cCoeficientes) {
    std::string vValor;
    for (const auto& [n, c] : pCoef)
      if (n == vNome) vValor = c;
    v += "<" + std::string(vNome) + ">" + vValor + "</" + std::string(vNome) + ">";
  }
  return v + pFim + "<RetencaoValor>0.00</RetencaoValor><IndiceInversao>0.00</IndiceInversao></Plano>";
}

class FRetornaColFinancimentosTest : public opstest::TOpsTest {
 protected:
  static void SetUpTestSuite() { sDatabase = opstest::FStoreDatabase(FLinhasDoBanco()); }
  static void TearDownTestSuite() { sDatabase.reset(); }
  static inline std::unique_ptr<testsupport::TTempDatabase> sDatabase;

  std::string FDocumento(const std::string& pPedido) {
    const data::TChavePedido vChave = FChave("001", pPedido);
    return FModulo(sDatabase->FPath()).FRetornaColFinancimentos(&vChave);
  }

  // Each case's expectations follow the host's decimal separator (FHost).
  void PFinancingWithItsCompanyPlansAndChosenPlan();
  void PMissingFinanceCompany();
};

void FRetornaColFinancimentosTest::PFinancingWithItsCompanyPlansAndChosenPlan() {
  const std::string vEsperado =
      cDeclaracao +
      "<financimentos><financimento><CodFinanceira>0001</CodFinanceira><Descricao>Financeira Um</Descricao>"
      "<Endereco>Rua A, 1 &amp; 2</Endereco><Telefone>1133334444</Telefone><VendeSemEntrada>S</VendeSemEntrada>"
      "<Contato>Carla</Contato><GeraCxa>S</GeraCxa><CodempresaCxa>001</CodempresaCxa><GeraRec>N</GeraRec>"
      "<CodempresaRec>002</CodempresaRec><Codcliente>000001</Codcliente>"
      "<LimiteAjusteParcela>" + FHost("5.5") + "</LimiteAjusteParcela><Planos>" +
      FPlano("<Codformapgto>001</Codformapgto><Codplano>P10</Codplano><Descformapgto>Carn\xEA 10x</Descformapgto>"
             "<Numparc>10</Numparc>",
             {{"Coeficiente00", FHost("0.10523")}},
             "<Segurofinanc>" + FHost("0.0125") + "</Segurofinanc><Taxacobrada>" + FHost("2.99") +
                 "</Taxacobrada><Ativo>S</Ativo><Entrada>N</Entrada><Taxaam>" + FHost("1.99") +
                 "</Taxaam><Tac>15</Tac><TaxaRetencao>" + FHost("0.5") + "</TaxaRetencao>") +
      FPlano("<Codformapgto>001</Codformapgto><Codplano>P12</Codplano><Descformapgto>Carn\xEA 12x</Descformapgto>"
             "<Numparc>12</Numparc>",
             {{"Coeficientemenos15", FHost("0.09")}, {"Coeficientemais120", FHost("0.12")}},
             "<Segurofinanc></Segurofinanc><Taxacobrada></Taxacobrada><Ativo></Ativo><Entrada></Entrada>"
             "<Taxaam></Taxaam><Tac>20</Tac><TaxaRetencao></TaxaRetencao>") +
      "</Planos><Carencia>30</Carencia><Plano><Codplano>P10</Codplano><Tac>15</Tac>"
      "<Descformapgto>Carn\xEA 10x</Descformapgto><SeguroFinanciamento>" + FHost("12.5") +
      "</SeguroFinanciamento></Plano><VlrFinanc>1000</VlrFinanc><Mensalidade>" + FHost("105.23") +
      "</Mensalidade></financimento></financimentos>";
  EXPECT_EQ(FDocumento("1"), vEsperado);
  EXPECT_EQ(FLinhas(), (std::vector<std::string>{
                           FModuloLinha("Entrando no procedimento: FRetornaColFinancimentos"),
                           FAjudante("PCriaTSimpleDataSet"),
                           FAjudante("PCriaTSimpleDataSet"),
                           FAjudante("PCriaTSimpleDataSet"),
                           FModuloLinha("Preparando para executar Query."),
                           "[*] Preparando para popular o arquivo xml.",
                           FModuloLinha("Preparando para executar Query."),
                           "[*] Inserindo item 0",
                           FModuloLinha("Xml populado com sucesso!"),
                           FAjudante("PDestroyTSimpleDataSet"),
                           FAjudante("PDestroyTSimpleDataSet"),
                           FAjudante("PDestroyTSimpleDataSet"),
                       }));
}

TEST_F(FRetornaColFinancimentosTest, FinancingWithItsCompanyPlansAndChosenPlan) { PFinancingWithItsCompanyPlansAndChosenPlan(); }

void FRetornaColFinancimentosTest::PMissingFinanceCompany() {
  EXPECT_EQ(FDocumento("5"),
            cDeclaracao +
                "<financimentos><financimento><CodFinanceira></CodFinanceira><Descricao></Descricao>"
                "<Endereco></Endereco><Telefone></Telefone><VendeSemEntrada></VendeSemEntrada><Contato></Contato>"
                "<GeraCxa></GeraCxa><CodempresaCxa></CodempresaCxa><GeraRec></GeraRec>"
                "<CodempresaRec></CodempresaRec><Codcliente>000005</Codcliente>"
                "<LimiteAjusteParcela></LimiteAjusteParcela><Carencia>0</Carencia><Plano><Codplano>X01</Codplano>"
                "<Tac>" + FHost("7.5") + "</Tac><Descformapgto>Avulso</Descformapgto><SeguroFinanciamento>" +
                FHost("12.5") + "</SeguroFinanciamento></Plano><VlrFinanc>1000</VlrFinanc><Mensalidade>" +
                FHost("105.23") + "</Mensalidade></financimento></financimentos>");
}

TEST_F(FRetornaColFinancimentosTest, MissingFinanceCompany) { PMissingFinanceCompany(); }

// Numbers read as text follow the host's decimal separator, while the fixed
// "0.00" of RetencaoValor and IndiceInversao keeps its point.
TEST_F(FRetornaColFinancimentosTest, SameDocumentUnderABrazilianLocale) {
  for (const char vSeparador : {',', '.'}) {
    SCOPED_TRACE(std::string("decimal separator ") + vSeparador);
    vEnv.vDecimalSeparator = vSeparador;
    PFinancingWithItsCompanyPlansAndChosenPlan();
    PMissingFinanceCompany();
  }
}

TEST_F(FRetornaColFinancimentosTest, DocumentCodeSuffixes) {
  struct {
    const char* vPedido;
    std::vector<std::string> vSufixos;  // per financing, "" for none
    const char* vCliente;
  } const cCasos[] = {
      {"1", {""}, "000001"},
      {"3", {"", "A1", "B1"}, "000003"},
      {"11", {"", "A1", "B1", "C1", "D1", "E1", "F1", "G1", "H1", "", ""}, "000001"},
      // Without its header row the customer is empty, like the starting
      // previous code: the first financing already gets A1.
      {"199", {"A1"}, ""},
  };
  for (const auto& c : cCasos) {
    const std::string vDoc = FDocumento(c.vPedido);
    std::vector<std::string> vSufixos;
    for (std::size_t p = vDoc.find("<financimento>"); p != std::string::npos; p = vDoc.find("<financimento>", p + 1)) {
      const std::size_t vFim = vDoc.find("</financimento>", p);
      const std::string vItem = vDoc.substr(p, vFim - p);
      const std::size_t s = vItem.find("<CompCodDocto>");
      vSufixos.push_back(s == std::string::npos ? "" : vItem.substr(s + 14, 2));
      EXPECT_NE(vItem.find("<Codcliente>" + std::string(c.vCliente) + "</Codcliente>"), std::string::npos) << vItem;
      // The suffix is the item's last element.
      if (s != std::string::npos) {
        EXPECT_EQ(vItem.substr(s), "<CompCodDocto>" + vSufixos.back() + "</CompCodDocto>");
      }
    }
    EXPECT_EQ(vSufixos, c.vSufixos) << c.vPedido;
  }
}

TEST_F(FRetornaColFinancimentosTest, NothingListedGivesEmpty) {
  // An invoiced order, an order without financings, and the order code
  // zero-filled (the financings keep it as given).
  for (const char* vPedido : {"4", "77", "00000001"}) {
    EXPECT_EQ(FDocumento(vPedido), "") << vPedido;
    const std::vector<std::string> vLinhas = FLinhas();
    EXPECT_EQ(std::count(vLinhas.begin(), vLinhas.end(), "[*] Preparando para popular o arquivo xml."), 0);
    EXPECT_TRUE(FErros().empty());
  }
}

TEST_F(FRetornaColFinancimentosTest, FailuresAreLoggedAfterTheQueriesAreReleased) {
  const data::TChavePedido vChave = FChave("001", "1");
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
    EXPECT_EQ(FModulo(c.vCaminho).FRetornaColFinancimentos(c.vChave), "");
    const std::vector<std::string> vLinhas = FLinhas();
    ASSERT_EQ(vLinhas.size(), 9u);
    EXPECT_EQ(std::vector<std::string>(vLinhas.begin() + 4, vLinhas.begin() + 8),
              (std::vector<std::string>{FModuloLinha("Preparando para executar Query."),
                                        FAjudante("PDestroyTSimpleDataSet"), FAjudante("PDestroyTSimpleDataSet"),
                                        FAjudante("PDestroyTSimpleDataSet")}));
    EXPECT_EQ(vLinhas[8].rfind(c.vErro, 0), 0u) << vLinhas[8];
  }
}

}  // namespace
