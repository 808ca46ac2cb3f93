// The order header document, byte for byte, from a real embedded store
// database: the complete order, the odd rows (no settlement, null values,
// capped exchange credit, long observation, markup characters and Latin-1
// bytes), the orders that give nothing, and the failures.
#include <gtest/gtest.h>

#include "OpsFixture.h"

namespace {

using opstest::FAjudante;
using opstest::FChave;
using opstest::FModuloLinha;

// Customer and observation hold markup characters and Latin-1 bytes
// (ã = E3, ç = E7, é = E9), written as the store writes them.
const std::string cLinhas =
    "INSERT INTO CLIENTE VALUES ('000001', 'Jo\xE3o & <Filhos> Concei\xE7\xE3o', '123.456.789-09');\n"
    "INSERT INTO CLIENTE VALUES ('000002', 'Ana', '987');\n"
    "INSERT INTO CARTCON (CODIGO, NOME, TIPO) VALUES ('0001', 'Cart\xE3o', '1');\n"
    "INSERT INTO CARTCON (CODIGO, NOME, TIPO) VALUES ('0002', 'Conv\xEAnio', '2');\n"
    // The complete order, code 123.
    "INSERT INTO PEDIDOC VALUES ('001', 'P', '00000123', '000001', '0012', '0034', '2024-03-05 10:42:00', "
    "'005', 1.25, 30, 'N', 2.5, 2460.15, '01', 'S', 3, 0.5, 50, 'Entregar ap\xF3s 18h & <urgente> > hoje', "
    "18734, 2210, '001', '00000100', 'C', 25);\n"
    "INSERT INTO ENCEFAT VALUES ('001', 'P', '00000123', 100, 200, 150.5, 10.25, 1000);\n"
    "INSERT INTO CONVENCEFAT VALUES ('001', 'P', '00000123', 1, 1, 'M1', 'Jos\xE9', 700);\n"
    "INSERT INTO CONVENCEFAT VALUES ('001', 'P', '00000123', 2, 1, 'M2', 'Ana', 50.5);\n"
    "INSERT INTO CONVENCEFAT VALUES ('001', 'P', '00000123', 3, 2, 'M3', 'Rui', 135.15);\n"
    // Another order's payments must not count.
    "INSERT INTO CONVENCEFAT VALUES ('002', 'P', '00000123', 1, 1, 'M9', 'Outro', 9);\n"
    // No settlement row, no date, no exchange discount, an 80-byte observation.
    "INSERT INTO PEDIDOC (CODEMPRESA, TIPOPEDIDO, CODPEDIDO, CODCLIENTE, TOTALPEDIDO, DESCONTOTROCA, OBSERVACAO1)"
    " VALUES ('001', 'P', '00000002', '000002', 320, NULL, "
    "'12345678901234567890123456789012345678901234567890123456789012345678901234567890');\n"
    "INSERT INTO CONVENCEFAT VALUES ('001', 'P', '00000002', 1, 1, 'M1', 'Ana', 20);\n"
    // Exchange discount above the total; a null post-dated cheque.
    "INSERT INTO PEDIDOC (CODEMPRESA, TIPOPEDIDO, CODPEDIDO, CODCLIENTE, TOTALPEDIDO, DESCONTOTROCA, DATAPEDIDO)"
    " VALUES ('001', 'P', '00000003', '000002', 320, 500, '2024-12-31');\n"
    "INSERT INTO ENCEFAT VALUES ('001', 'P', '00000003', 1, 80, NULL, 2, 3);\n"
    // The customer row is missing.
    "INSERT INTO PEDIDOC (CODEMPRESA, TIPOPEDIDO, CODPEDIDO, CODCLIENTE) VALUES ('001', 'P', '00000004', '999');\n";

class FRetornaPedidoCabecalhoTest : public opstest::TOpsTest {
 protected:
  static void SetUpTestSuite() { sDatabase = opstest::FStoreDatabase(cLinhas); }
  static void TearDownTestSuite() { sDatabase.reset(); }
  static inline std::unique_ptr<testsupport::TTempDatabase> sDatabase;

  std::string FPedido(const data::TChavePedido& pChave) {
    return FModulo(sDatabase->FPath()).FRetornaPedidoCabecalho(&pChave);
  }

  // Each case's expectations follow the host's decimal separator (FHost).
  void PCompleteOrderWithZeroFilledCode();
};

const std::string cDeclaracao = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";

void FRetornaPedidoCabecalhoTest::PCompleteOrderWithZeroFilledCode() {
  const std::string vEsperado =
      cDeclaracao +
      "<Pedido><CodEmpresa>001</CodEmpresa><CodPedido>00000123</CodPedido><TipoPedido>P</TipoPedido>"
      "<CodCliente>000001</CodCliente><NomeCliente>Jo\xE3o &amp; &lt;Filhos&gt; Concei\xE7\xE3o</NomeCliente>"
      "<CPFCNPJCli>123.456.789-09</CPFCNPJCli><CodVendedor>0012</CodVendedor><CodVendedor2>0034</CodVendedor2>"
      "<DescontoValor>30,000</DescontoValor><DescontoPerc>1,250</DescontoPerc><Acrescimo>2,500</Acrescimo>"
      "<TotalPedido>2460,150</TotalPedido><DataPedido>05/03/2024</DataPedido><CodPrazo>005</CodPrazo>"
      "<Observacao>Entregar ap\xF3s 18h &amp; &lt;urgente&gt; &gt; hoje</Observacao><CodigoMidia>3</CodigoMidia>"
      "<DescCredito>0,500</DescCredito><CreditoTroca>50,000</CreditoTroca><Faturado>N</Faturado>"
      "<EnceFat><Vlrcartao>750,500</Vlrcartao><Vlrreceber>100,000</Vlrreceber><Vlrcheques>350,500</Vlrcheques>"
      "<Vlrconvenio>135,150</Vlrconvenio><Vlrdinheiro>10,250</Vlrdinheiro><Vlrfinanc>1000,000</Vlrfinanc>"
      "</EnceFat><COO>18734</COO><COOImpFiscal>2210</COOImpFiscal><NumECF>001</NumECF>"
      "<CodPedidoVenda>00000100</CodPedidoVenda><StatusPedido>01</StatusPedido><Conferido>S</Conferido>"
      "<TipoFrete>C</TipoFrete><Frete>25,000</Frete></Pedido>";
  // The key may come without its zeros and with blanks around the code.
  for (const char* vCodigo : {"123", " 123 ", "00000123"}) {
    EXPECT_EQ(FPedido(FChave("001", vCodigo)), vEsperado) << vCodigo;
    EXPECT_EQ(FLinhas(), (std::vector<std::string>{
                             FModuloLinha("Entrando no procedimento: FRetornaPedidoCabecalho"),
                             FAjudante("PCriaTSQLQuery"),
                             FModuloLinha("Preparando para executar Query."),
                             FModuloLinha("Preparando para popular o arquivo xml."),
                             FModuloLinha("Xml populado com sucesso!"),
                             FModuloLinha("Retornando dados!"),
                             FAjudante("PDestroyTSQLQuery"),
                         }));
  }
}

TEST_F(FRetornaPedidoCabecalhoTest, CompleteOrderWithZeroFilledCode) { PCompleteOrderWithZeroFilledCode(); }

// Where the host writes a decimal comma, amounts are still "#0.000" with
// one comma and no grouping, and dates keep "/".
TEST_F(FRetornaPedidoCabecalhoTest, SameDocumentUnderABrazilianLocale) {
  for (const char vSeparador : {',', '.'}) {
    SCOPED_TRACE(std::string("decimal separator ") + vSeparador);
    vEnv.vDecimalSeparator = vSeparador;
    PCompleteOrderWithZeroFilledCode();
  }
}

TEST_F(FRetornaPedidoCabecalhoTest, OddRows) {
  struct {
    const char* vPedido;
    std::string vEsperado;
  } const cCasos[] = {
      // No settlement row: only the card and agreement sums carry values.
      // No date reads as day zero; the observation is cut to 50 bytes.
      {"2", cDeclaracao +
                "<Pedido><CodEmpresa>001</CodEmpresa><CodPedido>00000002</CodPedido><TipoPedido>P</TipoPedido>"
                "<CodCliente>000002</CodCliente><NomeCliente>Ana</NomeCliente><CPFCNPJCli>987</CPFCNPJCli>"
                "<CodVendedor></CodVendedor><CodVendedor2></CodVendedor2><DescontoValor>0,000</DescontoValor>"
                "<DescontoPerc>0,000</DescontoPerc><Acrescimo>0,000</Acrescimo><TotalPedido>320,000</TotalPedido>"
                "<DataPedido>30/12/1899</DataPedido><CodPrazo></CodPrazo>"
                "<Observacao>12345678901234567890123456789012345678901234567890</Observacao>"
                "<CodigoMidia></CodigoMidia><DescCredito>0,000</DescCredito><CreditoTroca>0,000</CreditoTroca>"
                "<Faturado></Faturado><EnceFat><Vlrcartao>20,000</Vlrcartao><Vlrreceber>0,000</Vlrreceber>"
                "<Vlrcheques>0,000</Vlrcheques><Vlrconvenio>0,000</Vlrconvenio><Vlrdinheiro>0,000</Vlrdinheiro>"
                "<Vlrfinanc>0,000</Vlrfinanc></EnceFat><COO></COO><COOImpFiscal></COOImpFiscal><NumECF></NumECF>"
                "<CodPedidoVenda></CodPedidoVenda><StatusPedido></StatusPedido><Conferido></Conferido>"
                "<TipoFrete></TipoFrete><Frete>0,000</Frete></Pedido>"},
      // The exchange credit is capped at the total; a null post-dated cheque
      // makes the cheque sum null.
      {"3", cDeclaracao +
                "<Pedido><CodEmpresa>001</CodEmpresa><CodPedido>00000003</CodPedido><TipoPedido>P</TipoPedido>"
                "<CodCliente>000002</CodCliente><NomeCliente>Ana</NomeCliente><CPFCNPJCli>987</CPFCNPJCli>"
                "<CodVendedor></CodVendedor><CodVendedor2></CodVendedor2><DescontoValor>0,000</DescontoValor>"
                "<DescontoPerc>0,000</DescontoPerc><Acrescimo>0,000</Acrescimo><TotalPedido>320,000</TotalPedido>"
                "<DataPedido>31/12/2024</DataPedido><CodPrazo></CodPrazo><Observacao></Observacao>"
                "<CodigoMidia></CodigoMidia><DescCredito>0,000</DescCredito><CreditoTroca>320,000</CreditoTroca>"
                "<Faturado></Faturado><EnceFat><Vlrcartao>0,000</Vlrcartao><Vlrreceber>1,000</Vlrreceber>"
                "<Vlrcheques>0,000</Vlrcheques><Vlrconvenio>0,000</Vlrconvenio><Vlrdinheiro>2,000</Vlrdinheiro>"
                "<Vlrfinanc>3,000</Vlrfinanc></EnceFat><COO></COO><COOImpFiscal></COOImpFiscal><NumECF></NumECF>"
                "<CodPedidoVenda></CodPedidoVenda><StatusPedido></StatusPedido><Conferido></Conferido>"
                "<TipoFrete></TipoFrete><Frete>0,000</Frete></Pedido>"},
  };
  for (const auto& c : cCasos) EXPECT_EQ(FPedido(FChave("001", c.vPedido)), c.vEsperado) << c.vPedido;
}

TEST_F(FRetornaPedidoCabecalhoTest, NothingFoundGivesEmptyAndNoDocumentLines) {
  for (const auto& vChave : {FChave("001", "4"), FChave("001", "77"), FChave("001", "123", "D")}) {
    EXPECT_EQ(FPedido(vChave), "") << vChave.CodPedido;
    EXPECT_EQ(FLinhas(), (std::vector<std::string>{
                             FModuloLinha("Entrando no procedimento: FRetornaPedidoCabecalho"),
                             FAjudante("PCriaTSQLQuery"),
                             FModuloLinha("Preparando para executar Query."),
                             FAjudante("PDestroyTSQLQuery"),
                         }));
  }
}

TEST_F(FRetornaPedidoCabecalhoTest, FailuresAreLoggedAfterTheQueryIsReleased) {
  const data::TChavePedido vChave = FChave("001", "123");
  struct {
    const char* vCaso;
    std::string vCaminho;
    const data::TChavePedido* vChave;
    std::string vErro;  // start of the exception entry
  } const cCasos[] = {
      {"unreachable", "/nonexistent/velmora/loja.fdb", &vChave, "ERRO [TFireBird] Exce\xE7\xE3o EDatabaseError: "},
      {"no key", sDatabase->FPath(), nullptr,
       "ERRO [TFireBird] Exce\xE7\xE3o EChaveNaoInformada: Chave do pedido n\xE3o informada"},
  };
  for (const auto& c : cCasos) {
    EXPECT_EQ(FModulo(c.vCaminho).FRetornaPedidoCabecalho(c.vChave), "") << c.vCaso;
    const std::vector<std::string> vLinhas = FLinhas();
    ASSERT_EQ(vLinhas.size(), 5u) << c.vCaso;
    EXPECT_EQ(std::vector<std::string>(vLinhas.begin(), vLinhas.begin() + 4),
              (std::vector<std::string>{
                  FModuloLinha("Entrando no procedimento: FRetornaPedidoCabecalho"),
                  FAjudante("PCriaTSQLQuery"),
                  FModuloLinha("Preparando para executar Query."),
                  FAjudante("PDestroyTSQLQuery"),
              }))
        << c.vCaso;
    EXPECT_EQ(vLinhas[4].rfind(c.vErro, 0), 0u) << vLinhas[4];
  }
}

}  // namespace
