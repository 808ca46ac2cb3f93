// TFireBird::FRetornaColFinancimentos: the financings document
// "financimentos", one "financimento" per financing of the order with its
// finance company, the company's active plans, the chosen plan and a
// document-code suffix for the further financings of one customer.
// Every failure is logged here and answered with "".
#include <array>
#include <exception>
#include <memory>
#include <string>
#include <string_view>

#include "data/SimpleDataSet.h"
#include "data/uClassFireBird.h"
#include "data/uClassFireBirdComum.h"
#include "data/uClassFireBirdSQL.h"
#include "tracelog/LogNFe.h"
#include "xml/XMLFinanciamento.h"

namespace data {

namespace {

// Suffixes of the second to ninth financing of one customer; the counter
// runs over the whole document and later financings get none.
constexpr std::array<const char*, 8> cSufixos = {"A1", "B1", "C1", "D1", "E1", "F1", "G1", "H1"};

// Fixed texts of every plan item, written with a decimal point.
constexpr const char* cZeroFixo = "0.00";

}  // namespace

std::string TFireBird::FRetornaColFinancimentos(const TChavePedido* pChavePedido) {
  tracelog::TLog& vLog = tracelog::FRetornaLog();
  vLog.Info(FClassName(), "Entrando no procedimento: FRetornaColFinancimentos");
  std::string vResult;
  try {
    std::unique_ptr<TSimpleDataSet> vFinanciamentos;
    std::unique_ptr<TSimpleDataSet> vFinanceira;
    std::unique_ptr<TSimpleDataSet> vPlanos;
    const TAoSair vLibera([&]() noexcept {
      PDestroyTSimpleDataSet(vFinanciamentos);
      PDestroyTSimpleDataSet(vFinanceira);
      PDestroyTSimpleDataSet(vPlanos);
    });
    PCriaTSimpleDataSet(vFinanciamentos);
    PCriaTSimpleDataSet(vFinanceira);
    PCriaTSimpleDataSet(vPlanos);

    vLog.Info(FClassName(), "Preparando para executar Query.");
    const TChavePedido& vChave = FChave(pChavePedido);
    // The financing keeps the order as its sale, code as the key gives it.
    vFinanciamentos->SQL.PSetText(cSQLFinanciamentos);
    vFinanciamentos->PSetParam("PCodEmpresa", vChave.CodEmpresa);
    vFinanciamentos->PSetParam("PCodVenda", vChave.CodPedido);
    vFinanciamentos->PSetParam("PTipoVenda", vChave.TipoPedido);
    vFinanciamentos->Open();
    if (vFinanciamentos->IsEmpty()) return {};

    vLog.Info(nullptr, "Preparando para popular o arquivo xml.");
    auto vDoc = xmlbind::CreateBoundDocument<xmlbind::TXMLFinancimentosType>(
        xmlbind::TXMLFinancimentosType::cElementName);
    xmlbind::TXMLFinancimentosType& vLista = vDoc.DocumentElement();
    std::string vClienteAnterior;
    std::size_t vContador = 1;

    const TSimpleDataSet& a = *vFinanciamentos;
    const TSimpleDataSet& b = *vFinanceira;
    const TSimpleDataSet& c = *vPlanos;
    // A missing finance company reads as an empty row: every company
    // element is still written, empty, and Carencia 0.
    auto vTextoB = [&b](const char* pColuna) { return b.FieldByName(pColuna).AsString(); };
    auto vTextoC = [&c](std::string_view pColuna) { return c.FieldByName(std::string(pColuna)).AsString(); };

    for (int vLinha = 0; !vFinanciamentos->Eof(); ++vLinha, vFinanciamentos->Next()) {
      vLog.Info(FClassName(), "Preparando para executar Query.");
      vFinanceira->Close();
      vFinanceira->SQL.PSetText(cSQLFinanceira);
      vFinanceira->PSetParam("PCODFINANCEIRA", a.FieldByName("CodFinanceira").AsString());
      vFinanceira->Open();
      vLog.Info(nullptr, "Inserindo item " + std::to_string(vLinha));

      xmlbind::TXMLFinanciamentoType& vItem = vLista.InsertItemAt(vLinha);
      vItem.SetCodFinanceira(vTextoB("CodFinanceira"));
      vItem.SetDescricao(vTextoB("Descricao"));
      vItem.SetEndereco(vTextoB("Endereco"));
      vItem.SetTelefone(vTextoB("Telefone"));
      vItem.SetVendeSemEntrada(vTextoB("VendeSemEntrada"));
      vItem.SetContato(vTextoB("Contato"));
      vItem.SetGeraCxa(vTextoB("GeraCxa"));
      vItem.SetCodempresaCxa(vTextoB("CodempresaCxa"));
      vItem.SetGeraRec(vTextoB("GeraRec"));
      vItem.SetCodempresaRec(vTextoB("CodempresaRec"));
      vItem.SetCodcliente(vTextoB("Codcliente"));
      vItem.SetLimiteAjusteParcela(vTextoB("LimiteAjusteParcela"));

      vPlanos->Close();
      vPlanos->SQL.PSetText(cSQLPlanos);
      vPlanos->PSetParam("PCodFinanc", vItem.CodFinanceira());
      vPlanos->Open();
      for (int vPlano = 0; !vPlanos->Eof(); ++vPlano, vPlanos->Next()) {
        // "Planos" appears with the first active plan only.
        xmlbind::TXMLPlanoType& vItemPlano = vItem.Planos().InsertItemAt(vPlano);
        vItemPlano.SetCodformapgto(vTextoC("Codformapgto"));
        vItemPlano.SetCodplano(vTextoC("Codplano"));
        vItemPlano.SetDescformapgto(vTextoC("Descformapgto"));
        vItemPlano.SetNumparc(c.FieldByName("Numparc").AsInteger());
        for (std::string_view vCoeficiente : xmlbind::TXMLPlanoType::cCoeficientes)
          vItemPlano.SetChildText(vCoeficiente, vTextoC(vCoeficiente));
        vItemPlano.SetSegurofinanc(vTextoC("Segurofinanciamento"));
        vItemPlano.SetTaxacobrada(vTextoC("Taxacobrada"));
        vItemPlano.SetAtivo(vTextoC("Ativo"));
        vItemPlano.SetEntrada(vTextoC("Entrada"));
        vItemPlano.SetTaxaam(vTextoC("Taxaam"));
        vItemPlano.SetTac(vTextoC("Tac"));
        vItemPlano.SetTaxaRetencao(vTextoC("TaxaRetencao"));
        vItemPlano.SetRetencaoValor(cZeroFixo);
        vItemPlano.SetIndiceInversao(cZeroFixo);
      }

      vItem.SetCarencia(b.FieldByName("DiasCompensacao").AsInteger());
      xmlbind::TXMLPlanoType& vEscolhido = vItem.Plano();
      vEscolhido.SetCodplano(a.FieldByName("CodPlano").AsString());
      vEscolhido.SetTac(a.FieldByName("Tac").AsString());
      vEscolhido.SetDescformapgto(a.FieldByName("DescFormaPgto").AsString());
      vEscolhido.SetSeguroFinanciamento(a.FieldByName("SeguroFinanciamento").AsString());
      vItem.SetVlrFinanc(a.FieldByName("ValorFinanciado").AsString());
      vItem.SetMensalidade(a.FieldByName("ValorMensalidade").AsString());
      // The order's customer replaces the company's, in the same place.
      vItem.SetCodcliente(a.FieldByName("CodCliente").AsString());

      const std::string vCliente = vItem.Codcliente();
      if (vCliente == vClienteAnterior) {
        if (vContador <= cSufixos.size()) vItem.SetCompCodDocto(cSufixos[vContador - 1]);
        ++vContador;
      }
      vClienteAnterior = vCliente;
    }

    vLog.Info(FClassName(), "Xml populado com sucesso!");
    vResult = xmlbind::DocumentText(vLista);
  } catch (const std::exception& e) {
    vLog.Excecao(FClassName(), e);
    return {};
  }
  return vResult;
}

}  // namespace data
