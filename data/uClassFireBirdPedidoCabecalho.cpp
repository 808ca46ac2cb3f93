// TFireBird::FRetornaPedidoCabecalho: the order header document "Pedido",
// read with one statement (header, customer, settlement, card and agreement
// sums). Every failure is logged here and answered with "".
#include <exception>
#include <memory>
#include <string>

#include "data/SQLQuery.h"
#include "data/uClassFireBird.h"
#include "data/uClassFireBirdComum.h"
#include "data/uClassFireBirdSQL.h"
#include "tracelog/LogNFe.h"
#include "xml/XmlPedidoCabecalho.h"

namespace data {

namespace {

// The header stores its order code zero-filled to this width; the key may
// come without the zeros.
constexpr std::size_t cTamanhoCodPedido = 8;
// "Observacao" carries only the start of the observation.
constexpr std::size_t cTamanhoObservacao = 50;

}  // namespace

std::string TFireBird::FRetornaPedidoCabecalho(const TChavePedido* pChavePedido) {
  tracelog::TLog& vLog = tracelog::FRetornaLog();
  vLog.Info(FClassName(), "Entrando no procedimento: FRetornaPedidoCabecalho");
  std::string vResult;
  try {
    std::unique_ptr<TSQLQuery> vQuery;
    const TAoSair vLibera([&]() noexcept { PDestroyTSQLQuery(vQuery); });
    PCriaTSQLQuery(vQuery);
    vLog.Info(FClassName(), "Preparando para executar Query.");
    const TChavePedido& vChave = FChave(pChavePedido);
    vQuery->SQL.Add(cSQLPedidoCabecalho);
    vQuery->PSetParam("PCodEmpresa", vChave.CodEmpresa);
    vQuery->PSetParam("PCodPedido", FCompletaZeros(vChave.CodPedido, cTamanhoCodPedido));
    vQuery->PSetParam("PTipoPedido", vChave.TipoPedido);
    vQuery->Open();
    if (vQuery->IsEmpty()) return {};

    vLog.Info(FClassName(), "Preparando para popular o arquivo xml.");
    const TSQLQuery& q = *vQuery;
    auto vTexto = [&q](const char* pColuna) { return q.FieldByName(pColuna).AsString(); };
    auto vValor = [this, &q](const char* pColuna) { return FValor(*this, q.FieldByName(pColuna)); };

    auto vDoc = xmlbind::CreateBoundDocument<xmlbind::TXMLPedidoType>(xmlbind::TXMLPedidoType::cElementName);
    xmlbind::TXMLPedidoType& vPedido = vDoc.DocumentElement();
    vPedido.SetCodEmpresa(vTexto("codempresa"));
    vPedido.SetCodPedido(vTexto("codpedido"));
    vPedido.SetTipoPedido(vTexto("tipopedido"));
    vPedido.SetCodCliente(vTexto("codcliente"));
    vPedido.SetNomeCliente(vTexto("nome"));
    vPedido.SetCPFCNPJCli(vTexto("cgccpf"));
    vPedido.SetCodVendedor(vTexto("codvendedor"));
    vPedido.SetCodVendedor2(vTexto("codvendedor2"));
    vPedido.SetDescontoValor(vValor("descontovlr"));
    vPedido.SetDescontoPerc(vValor("descontoperc"));
    vPedido.SetAcrescimo(vValor("vlracrescimo"));
    vPedido.SetTotalPedido(vValor("totalpedido"));
    vPedido.SetDataPedido(FFormatDate(q.FieldByName("datapedido").AsDateTime()));
    vPedido.SetCodPrazo(vTexto("codprazo"));
    vPedido.SetObservacao(vTexto("observacao1").substr(0, cTamanhoObservacao));
    vPedido.SetCodigoMidia(vTexto("codigomidia"));
    vPedido.SetDescCredito(vValor("desccredito"));
    vPedido.SetCreditoTroca(vValor("creditotroca"));
    vPedido.SetFaturado(vTexto("faturado"));
    xmlbind::TXMLEnceFatType& vEnceFat = vPedido.EnceFat();
    vEnceFat.SetVlrcartao(vValor("vlrcartao"));
    vEnceFat.SetVlrreceber(vValor("vlrreceber"));
    vEnceFat.SetVlrcheques(vValor("vlrcheques"));
    vEnceFat.SetVlrconvenio(vValor("vlrconvenio"));
    vEnceFat.SetVlrdinheiro(vValor("vlrdinheiro"));
    vEnceFat.SetVlrfinanc(vValor("vlrfinanc"));
    vPedido.SetCOO(vTexto("numcupom"));
    vPedido.SetCOOImpFiscal(vTexto("coodavimpfiscal"));
    vPedido.SetNumECF(vTexto("maquina"));
    vPedido.SetCodPedidoVenda(vTexto("codpedidovenda"));
    vPedido.SetStatusPedido(vTexto("statuspedido"));
    vPedido.SetConferido(vTexto("conferido"));
    vPedido.SetTipoFrete(vTexto("tipofrete"));
    vPedido.SetFrete(vValor("frete"));

    vLog.Info(FClassName(), "Xml populado com sucesso!");
    vLog.Info(FClassName(), "Retornando dados!");
    vResult = xmlbind::DocumentText(vPedido);
  } catch (const std::exception& e) {
    // The query is already released: the scope above has ended.
    vLog.Excecao(FClassName(), e);
    return {};
  }
  return vResult;
}

}  // namespace data
