// The binding facility and the binding classes, checked on whole documents
// byte for byte.
#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "xml/XMLBinding.h"
#include "xml/XMLConvenio.h"
#include "xml/XMLFinanciamento.h"
#include "xml/XmlPedidoCabecalho.h"
#include "xml/XmlPedidoItem.h"

namespace xmlbind {
namespace {

const std::string cDeclaracao = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";

TEST(XMLBindingTest, ChildrenFollowFirstTouchAndKeepTheirPlace) {
  auto vDoc = CreateBoundDocument<TXMLPedidoType>(TXMLPedidoType::cElementName);
  TXMLPedidoType& vPedido = vDoc.DocumentElement();
  vPedido.SetCodEmpresa("01");
  TXMLEnceFatType& vEnceFat = vPedido.EnceFat();  // reading creates the element
  vPedido.SetCOO("000123");
  vEnceFat.SetVlrcartao("10,500");
  vPedido.EnceFat().SetVlrreceber("0,000");  // the same element, same place
  vPedido.SetCodEmpresa("02");               // second value, first place

  EXPECT_EQ(&vPedido.EnceFat(), &vEnceFat);
  EXPECT_EQ(vPedido.CodEmpresa(), "02");
  EXPECT_EQ(DocumentText(vPedido),
            cDeclaracao +
                "<Pedido><CodEmpresa>02</CodEmpresa>"
                "<EnceFat><Vlrcartao>10,500</Vlrcartao><Vlrreceber>0,000</Vlrreceber></EnceFat>"
                "<COO>000123</COO></Pedido>");
}

TEST(XMLBindingTest, DeclarationIsDirectlyFollowedByTheDocumentElement) {
  auto vDoc = CreateBoundDocument<TXMLListaItemType>(TXMLListaItemType::cElementName);
  const std::string vText = DocumentText(vDoc.DocumentElement());
  ASSERT_EQ(cDeclaracao.size(), 43u);
  EXPECT_EQ(vText.substr(0, 43), cDeclaracao);
  EXPECT_EQ(vText.substr(43), "<ListaItem></ListaItem>");
  EXPECT_EQ(vDoc->ElementMarkup(), "<ListaItem></ListaItem>");
}

TEST(XMLBindingTest, TextIsEscapedOnlyWhereMarkupRequiresIt) {
  struct {
    std::string vInput;
    std::string vExpected;
  } const cCases[] = {
      {"A&B", "A&amp;B"},
      {"<b>x</b>", "&lt;b&gt;x&lt;/b&gt;"},
      {"&amp;", "&amp;amp;"},
      {"aspas \"duplas\" e 'simples'", "aspas \"duplas\" e 'simples'"},
      {"Jo\xE3o Concei\xE7\xE3o \xC1\xC9\xCD\xD3\xDA \xFF", "Jo\xE3o Concei\xE7\xE3o \xC1\xC9\xCD\xD3\xDA \xFF"},
      {"\x80\x81\x8D\x8F\x90\x9D\x9F", "\x80\x81\x8D\x8F\x90\x9D\x9F"},
      {"linha1\r\nlinha2\tfim", "linha1\r\nlinha2\tfim"},
      {std::string("a\x01""b\x1F""c\0d", 7), "a?b?c?d"},
      {"", ""},
  };
  for (const auto& vCase : cCases) {
    auto vDoc = CreateBoundDocument<TXMLPedidoType>("Pedido");
    vDoc->SetObservacao(vCase.vInput);
    EXPECT_EQ(DocumentText(vDoc.DocumentElement()),
              cDeclaracao + "<Pedido><Observacao>" + vCase.vExpected + "</Observacao></Pedido>")
        << vCase.vInput;
    EXPECT_EQ(vDoc->Observacao(), vCase.vInput) << "the stored bytes stay as given";
  }
}

TEST(XMLBindingTest, IntegersAreWrittenInPlainDecimal) {
  struct {
    std::int32_t vValue;
    std::string vText;
  } const cCases[] = {{0, "0"}, {7, "7"}, {-15, "-15"}, {2147483647, "2147483647"},
                      {-2147483647 - 1, "-2147483648"}};
  for (const auto& vCase : cCases) {
    auto vDoc = CreateBoundDocument<TXMLListaItemType>("ListaItem");
    TXMLItemType& vItem = vDoc->AppendItem();
    vItem.SetOperacao(vCase.vValue);
    EXPECT_EQ(vDoc->ElementMarkup(),
              "<ListaItem><Item><Operacao>" + vCase.vText + "</Operacao></Item></ListaItem>");
    EXPECT_EQ(vItem.Operacao(), vCase.vValue);
  }
}

TEST(XMLBindingTest, IntegerReadingAcceptsOnlyWholeDecimalIntegers) {
  auto vDoc = CreateBoundDocument<TXMLListaItemType>("ListaItem");
  TXMLItemType& vItem = vDoc->AppendItem();
  EXPECT_EQ(vItem.CodPromo(), 0) << "a new element reads 0";
  for (const char* vBad : {"12a", "1.5", " 3", "2147483648", "-", "abc"}) {
    vItem.SetChildText("CodPromo", vBad);
    EXPECT_THROW((void)vItem.CodPromo(), EXMLBindingError) << vBad;
  }
}

TEST(XMLBindingTest, CollectionsKeepRowOrderAndInsertBeforeTheIndex) {
  auto vDoc = CreateBoundDocument<TXMLListaItemType>("ListaItem");
  TXMLListaItemType& vLista = vDoc.DocumentElement();
  vLista.InsertItemAt(0).SetCodProd("A");
  vLista.InsertItemAt(1).SetCodProd("B");
  EXPECT_EQ(vLista.ItemCount(), 2);
  EXPECT_EQ(vLista.ItemAt(1).CodProd(), "B");
  EXPECT_EQ(vLista.ElementMarkup(),
            "<ListaItem><Item><CodProd>A</CodProd></Item><Item><CodProd>B</CodProd></Item>"
            "</ListaItem>");

  auto vDoc2 = CreateBoundDocument<TXMLListaItemType>("ListaItem");
  vDoc2->InsertItemAt(0).SetCodProd("velho");
  vDoc2->InsertItemAt(0).SetCodProd("novo");
  vDoc2->InsertItemAt(1).SetCodProd("meio");
  EXPECT_EQ(vDoc2->ItemAt(0).CodProd(), "novo");
  EXPECT_EQ(vDoc2->ElementMarkup(),
            "<ListaItem><Item><CodProd>novo</CodProd></Item><Item><CodProd>meio</CodProd></Item>"
            "<Item><CodProd>velho</CodProd></Item></ListaItem>");
}

TEST(XMLBindingTest, MisuseRaisesABindingError) {
  auto vDoc = CreateBoundDocument<TXMLListaItemType>("ListaItem");
  TXMLListaItemType& vLista = vDoc.DocumentElement();
  vLista.AppendItem();
  EXPECT_THROW(vLista.ItemAt(1), EXMLBindingError);
  EXPECT_THROW(vLista.ItemAt(-1), EXMLBindingError);
  EXPECT_THROW(vLista.InsertItemAt(2), EXMLBindingError);
  EXPECT_EQ(vLista.ItemCount(), 1) << "a refused insert adds nothing";

  auto vPedido = CreateBoundDocument<TXMLPedidoType>("Pedido");
  vPedido->EnceFat().SetVlrcartao("1,000");
  EXPECT_THROW(vPedido->SetChildText("EnceFat", "x"), EXMLBindingError);
  vPedido->SetCOO("1");
  EXPECT_THROW(vPedido->ChildElement("COO").ChildElement("x"), EXMLBindingError);
  EXPECT_EQ(DocumentText(vPedido.DocumentElement()),
            cDeclaracao + "<Pedido><EnceFat><Vlrcartao>1,000</Vlrcartao></EnceFat><COO>1</COO></Pedido>");

  auto vConvenios = CreateBoundDocument<TXMLConveniosType>("convenios");
  TXMLCondPagType& vCondPag = vConvenios->AppendItem().condPag();
  EXPECT_THROW(vCondPag.SetPRAZO(0, 1), EXMLBindingError);
  EXPECT_THROW(vCondPag.SetPERCENT(14, "1"), EXMLBindingError);
  EXPECT_EQ(vConvenios->ElementMarkup(), "<convenios><convenio><condPag></condPag></convenio></convenios>");
}

TEST(XMLBindingTest, AgreementDocumentNestsItsPaymentCondition) {
  auto vDoc = CreateBoundDocument<TXMLConveniosType>(TXMLConveniosType::cElementName);
  TXMLConvenioType& vConvenio = vDoc->InsertItemAt(0);
  vConvenio.SetcodConvenio("0012");
  vConvenio.SetDiaVencCon(10);
  vConvenio.condPag().SetCodPrazo("");
  vConvenio.condPag().SetCodPrazo("007");
  vConvenio.condPag().SetPRAZO(1, 30);
  vConvenio.condPag().SetPERCENT(13, "2.5");
  vConvenio.condPag().SetNumParcs(0);
  vConvenio.Setvalor("1234,500");
  vDoc->InsertItemAt(1).Setmatricula("M&2");

  EXPECT_EQ(&vDoc->ItemAt(0), &vConvenio);
  EXPECT_EQ(vConvenio.condPag().PRAZO(1), 30);
  EXPECT_EQ(DocumentText(vDoc.DocumentElement()),
            cDeclaracao +
                "<convenios><convenio><codConvenio>0012</codConvenio><DiaVencCon>10</DiaVencCon>"
                "<condPag><CodPrazo>007</CodPrazo><PRAZO1>30</PRAZO1><PERCENT13>2.5</PERCENT13>"
                "<NumParcs>0</NumParcs></condPag><valor>1234,500</valor></convenio>"
                "<convenio><matricula>M&amp;2</matricula></convenio></convenios>");
}

TEST(XMLBindingTest, FinancingHoldsItsPlanListAndItsChosenPlan) {
  auto vDoc = CreateBoundDocument<TXMLFinancimentosType>(TXMLFinancimentosType::cElementName);
  TXMLFinanciamentoType& vFinanc = vDoc->InsertItemAt(0);
  vFinanc.SetCodFinanceira("01");
  vFinanc.SetCodcliente("C1");
  for (int vPlano = 0; vPlano < 2; ++vPlano) {
    TXMLPlanoType& vItem = vFinanc.Planos().InsertItemAt(vPlano);
    vItem.SetCodplano(std::to_string(vPlano + 1));
    vItem.SetNumparc(vPlano + 10);
    vItem.SetCoeficientemenos15("0.1");
    vItem.SetChildText(TXMLPlanoType::cCoeficientes.back(), "1.2");
    vItem.SetRetencaoValor("0.00");
  }
  vFinanc.SetCarencia(0);
  vFinanc.Plano().SetCodplano("2");
  vFinanc.Plano().SetSeguroFinanciamento("S");
  vFinanc.SetCodcliente("C2");  // replaces the value, keeps the place
  vFinanc.SetCompCodDocto("A1");

  EXPECT_EQ(vFinanc.Planos().ItemCount(), 2);
  EXPECT_EQ(vFinanc.Planos().ItemAt(1).Numparc(), 11);
  EXPECT_EQ(TXMLPlanoType::cCoeficientes[3], "Coeficiente00");
  EXPECT_EQ(TXMLPlanoType::cCoeficientes[27], "Coeficientemais120");
  EXPECT_EQ(DocumentText(vDoc.DocumentElement()),
            cDeclaracao +
                "<financimentos><financimento><CodFinanceira>01</CodFinanceira>"
                "<Codcliente>C2</Codcliente><Planos>"
                "<Plano><Codplano>1</Codplano><Numparc>10</Numparc>"
                "<Coeficientemenos15>0.1</Coeficientemenos15>"
                "<Coeficientemais120>1.2</Coeficientemais120><RetencaoValor>0.00</RetencaoValor></Plano>"
                "<Plano><Codplano>2</Codplano><Numparc>11</Numparc>"
                "<Coeficientemenos15>0.1</Coeficientemenos15>"
                "<Coeficientemais120>1.2</Coeficientemais120><RetencaoValor>0.00</RetencaoValor></Plano>"
                "</Planos><Carencia>0</Carencia>"
                "<Plano><Codplano>2</Codplano><SeguroFinanciamento>S</SeguroFinanciamento></Plano>"
                "<CompCodDocto>A1</CompCodDocto></financimento></financimentos>");
}

// The items document of a large order is built row by row; lookups must not
// grow with the number of items already written. Measured in processor time,
// so that a busy machine does not fail it.
TEST(XMLBindingTest, ThousandItemDocumentBuildsQuickly) {
  const std::clock_t vInicio = std::clock();
  auto vDoc = CreateBoundDocument<TXMLListaItemType>("ListaItem");
  for (int vRow = 0; vRow < 1000; ++vRow) {
    vDoc->InsertItemAt(vRow);
    TXMLItemType& vItem = vDoc->ItemAt(vRow);
    for (const char* vNome : {"CodPedido", "CodProd", "CodGrade", "AliqIcm", "BaseIcm", "AliqIss",
                              "DescontoVlr", "AcrescimoVlr", "PrecoUnit", "PrecoTabela", "Quantidade",
                              "UnidadeSaida", "CodTVenda", "Serie", "Contrato", "Fone", "Tabela",
                              "ControleSerie", "AutRefidelizacao", "TotalRateado", "ClaroTeste",
                              "Cancelado", "Estoque"}) {
      vItem.SetChildText(vNome, "12345,678");
    }
    vItem.SetOperacao(vRow);
    vItem.SetCodPromo(0);
  }
  const std::string vText = DocumentText(vDoc.DocumentElement());
  const double vMs = 1000.0 * static_cast<double>(std::clock() - vInicio) / CLOCKS_PER_SEC;
  EXPECT_EQ(vDoc->ItemCount(), 1000);
  EXPECT_NE(vText.find("<Operacao>999</Operacao>"), std::string::npos);
  EXPECT_LT(vMs, 250) << "1000 items took " << vMs << " ms";
}

}  // namespace
}  // namespace xmlbind
