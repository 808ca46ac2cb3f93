// TFireBird::FRetornaPedidoItem: the order items document "ListaItem", one
// "Item" per row of pedidoi in sequence order, with the stock on hand summed
// per product, or per product and grade when the store's ParamEcf says so.
//
// The ParamEcf check runs outside the operation's handler: its errors (the
// database unreachable, say) go on to the caller and become a SOAP fault.
// Errors after it are logged here and answered with "".
#include <exception>
#include <memory>
#include <string>

#include "data/SQLQuery.h"
#include "data/SimpleDataSet.h"
#include "data/uClassFireBird.h"
#include "data/uClassFireBirdComum.h"
#include "data/uClassFireBirdSQL.h"
#include "tracelog/LogNFe.h"
#include "xml/XmlPedidoItem.h"

namespace data {

std::string TFireBird::FRetornaPedidoItem(const TChavePedido* pChavePedido) {
  tracelog::TLog& vLog = tracelog::FRetornaLog();
  vLog.Info(FClassName(), "Entrando no procedimento: FRetornaPedidoItem");
  // Without a key there is nothing to look up, and nothing is touched.
  if (pChavePedido == nullptr) return {};
  const TChavePedido& vChave = *pChavePedido;

  // The switches are compared exactly: "s" does not switch anything on.
  bool vPorGrade = false;
  {
    vLog.Info(FClassName(), "Verificando par\xE2metros ValidarEst, ValidaEstGrade");
    std::unique_ptr<TSQLQuery> vParam;
    const TAoSair vLibera([&]() noexcept { PDestroyTSQLQuery(vParam); });
    PCriaTSQLQuery(vParam);
    vParam->SQL.Add(cSQLItemParamEcf);
    vParam->PSetParam("PCodEmpresa", vChave.CodEmpresa);
    vParam->Open();
    if (!vParam->Eof() && vParam->FieldByName("ValidarEst").AsString() == "S")
      vPorGrade = vParam->FieldByName("ValidaEstGrade").AsString() == "S";
  }

  std::string vResult;
  try {
    std::unique_ptr<TSimpleDataSet> vItens;
    const TAoSair vLibera([&]() noexcept { PDestroyTSimpleDataSet(vItens); });
    PCriaTSimpleDataSet(vItens);
    vLog.Info(FClassName(), "Preparando para executar Query.");
    vItens->SQL.PSetText(vPorGrade ? cSQLItensPorGrade.data() : cSQLItensPorProduto.data());
    // The items keep the order code as the key gives it: no zero-filling.
    vItens->PSetParam("PCodEmpresa", vChave.CodEmpresa);
    vItens->PSetParam("PCodPedido", vChave.CodPedido);
    vItens->PSetParam("PTipoPedido", vChave.TipoPedido);
    vItens->Open();
    if (vItens->IsEmpty()) return {};

    vLog.Info(nullptr, "Preparando para popular o arquivo xml.");
    auto vDoc =
        xmlbind::CreateBoundDocument<xmlbind::TXMLListaItemType>(xmlbind::TXMLListaItemType::cElementName);
    xmlbind::TXMLListaItemType& vLista = vDoc.DocumentElement();
    const TSimpleDataSet& q = *vItens;
    auto vTexto = [&q](const char* pColuna) { return q.FieldByName(pColuna).AsString(); };
    auto vValor = [this, &q](const char* pColuna) { return FValor(*this, q.FieldByName(pColuna)); };
    auto vInteiro = [&q](const char* pColuna) { return q.FieldByName(pColuna).AsInteger(); };

    for (int vLinha = 0; !vItens->Eof(); ++vLinha, vItens->Next()) {
      vLog.Info(nullptr, "Inserindo item " + std::to_string(vLinha));
      vLista.InsertItemAt(vLinha);
      xmlbind::TXMLItemType& vItem = vLista.ItemAt(vLinha);
      vItem.SetCodPedido(vTexto("codpedido"));
      vItem.SetCodProd(vTexto("codprod"));
      vItem.SetCodGrade(vTexto("codgrade"));
      vItem.SetAliqIcm(vValor("aliqicm"));
      vItem.SetBaseIcm(vValor("baseicm"));
      vItem.SetAliqIss(vValor("aliqiss"));
      vItem.SetDescontoVlr(vValor("descontovlr"));
      vItem.SetAcrescimoVlr(vValor("acrescimovlr"));
      vItem.SetPrecoUnit(vValor("precounit"));
      vItem.SetPrecoTabela(vValor("precotabela"));
      vItem.SetQuantidade(vValor("quantidade"));
      vItem.SetUnidadeSaida(vTexto("unidadesaida"));
      vItem.SetCodTVenda(vTexto("codtvenda"));
      vItem.SetOperacao(vInteiro("operacao"));
      vItem.SetSerie(vTexto("numserie"));
      vItem.SetContrato(vTexto("contrato"));
      vItem.SetFone(vTexto("fone"));
      vItem.SetCodPromo(vInteiro("codpromo"));
      vItem.SetTabela(vTexto("tabela"));
      vItem.SetControleSerie(vTexto("controleserie"));
      vItem.SetAutRefidelizacao(vTexto("autrefidelizacao"));
      vItem.SetTotalRateado(vValor("totalrateado"));
      vItem.SetClaroTeste(vTexto("claroteste"));
      vItem.SetCancelado(vTexto("cancelado"));
      // The stock sum as the database gives it; empty without stock rows.
      vItem.SetEstoque(vTexto("Estoque"));
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
