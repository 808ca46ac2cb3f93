// TFireBird::FRetornaColConvenios: the agreements document "convenios", one
// "convenio" per agreement entry of the order (ConvEnceFat), completed with
// the agreement's master data and its payment condition (PCondPag).
// Every failure is logged here and answered with "".
#include <exception>
#include <memory>
#include <string>

#include "data/SQLQuery.h"
#include "data/SimpleDataSet.h"
#include "data/uClassFireBird.h"
#include "data/uClassFireBirdComum.h"
#include "data/uClassFireBirdSQL.h"
#include "tracelog/LogNFe.h"
#include "xml/XMLConvenio.h"

namespace data {

namespace {

// Agreement codes are kept zero-filled to 4 digits, condition codes to 3.
constexpr std::size_t cTamanhoConvenio = 4;
constexpr std::size_t cTamanhoCondPag = 3;

}  // namespace

std::string TFireBird::FRetornaColConvenios(const TChavePedido* pChavePedido) {
  tracelog::TLog& vLog = tracelog::FRetornaLog();
  vLog.Info(FClassName(), "Entrando no procedimento: FRetornaColConvenios");
  std::string vResult;
  try {
    std::unique_ptr<TSimpleDataSet> vEntradas;
    std::unique_ptr<TSimpleDataSet> vConvenio;
    const TAoSair vLibera([&]() noexcept {
      PDestroyTSimpleDataSet(vEntradas);
      PDestroyTSimpleDataSet(vConvenio);
    });
    PCriaTSimpleDataSet(vEntradas);
    PCriaTSimpleDataSet(vConvenio);

    vLog.Info(FClassName(), "Preparando para executar Query.");
    const TChavePedido& vChave = FChave(pChavePedido);
    vEntradas->SQL.Add(cSQLConvenioEntradas);
    vEntradas->PSetParam("PCodEmpresa", vChave.CodEmpresa);
    vEntradas->PSetParam("PTipoPedido", vChave.TipoPedido);
    vEntradas->PSetParam("PCodPedido", vChave.CodPedido);
    vEntradas->Open();
    if (vEntradas->IsEmpty()) return {};

    vLog.Info(nullptr, "Preparando para popular o arquivo xml.");
    auto vDoc =
        xmlbind::CreateBoundDocument<xmlbind::TXMLConveniosType>(xmlbind::TXMLConveniosType::cElementName);
    xmlbind::TXMLConveniosType& vConvenios = vDoc.DocumentElement();
    const TSimpleDataSet& a = *vEntradas;
    const TSimpleDataSet& b = *vConvenio;

    for (int vLinha = 0; !vEntradas->Eof(); ++vLinha, vEntradas->Next()) {
      vLog.Info(nullptr, "Inserindo item " + std::to_string(vLinha));
      vConvenio->Close();
      vConvenio->SQL.PSetText(cSQLConvenio);
      vConvenio->PSetParam("PCodigo", FCompletaZeros(a.FieldByName("Convenio").AsString(), cTamanhoConvenio));
      vConvenio->PSetParam("PCodEmpresa", vChave.CodEmpresa);
      vConvenio->Open();

      xmlbind::TXMLConvenioType& vItem = vConvenios.InsertItemAt(vLinha);
      if (!vConvenio->IsEmpty()) {
        vItem.SetcodConvenio(b.FieldByName("Codigo").AsString());
        vItem.SetDescConvenio(b.FieldByName("Nome").AsString());
        vItem.SetcodCliente(b.FieldByName("Codcliente").AsString());
        vItem.SetDiaVencCon(b.FieldByName("DiaVencimento").AsInteger());
        vItem.SetPercDesc(FTrocaPontoPorVirgula(b.FieldByName("Percdesc").AsString()));
        vItem.SetContaCxaCartCon(b.FieldByName("ContaCxa").AsString());
        vItem.SetConvenioDebito(b.FieldByName("CartaoDebito").AsString());
        const std::string vCodPrazo = b.FieldByName("Codprazo").AsString();
        if (!vCodPrazo.empty()) PCondPag(vItem, vCodPrazo);
      }
      vItem.Setmatricula(a.FieldByName("Matricula").AsString());
      vItem.Setconveniado(a.FieldByName("Conveniado").AsString());
      vItem.Setvalor(FValor(*this, a.FieldByName("Valor")));
    }

    vLog.Info(FClassName(), "Xml populado com sucesso!");
    vResult = xmlbind::DocumentText(vConvenios);
  } catch (const std::exception& e) {
    vLog.Excecao(FClassName(), e);
    return {};
  }
  return vResult;
}

void TFireBird::PCondPag(xmlbind::TXMLConvenioType& pConvenio, const std::string& pCodPrazo) {
  std::unique_ptr<TSQLQuery> vQuery;
  const TAoSair vLibera([&]() noexcept { PDestroyTSQLQuery(vQuery); });
  PCriaTSQLQuery(vQuery);
  // condPag exists, with an empty code, even when the condition is missing.
  xmlbind::TXMLCondPagType& vCondPag = pConvenio.condPag();
  vCondPag.SetCodPrazo("");
  vQuery->SQL.Add(cSQLCondPag);
  vQuery->PSetParam("PCodPrazo", FCompletaZeros(pCodPrazo, cTamanhoCondPag));
  vQuery->Open();
  if (vQuery->Eof()) return;

  const TSQLQuery& q = *vQuery;
  vCondPag.SetCodPrazo(q.FieldByName("CodPrazo").AsString());
  vCondPag.SetDescricao(q.FieldByName("Descricao").AsString());
  for (int n = 1; n <= xmlbind::TXMLCondPagType::cNumeroDePrazos; ++n)
    vCondPag.SetPRAZO(n, q.FieldByName("PRAZO" + std::to_string(n)).AsInteger());
  for (int n = 1; n <= xmlbind::TXMLCondPagType::cNumeroDePrazos; ++n)
    vCondPag.SetPERCENT(n, q.FieldByName("PERCENT" + std::to_string(n)).AsString());
  vCondPag.SetAumentoPreco1(q.FieldByName("AUMENTOPRECO1").AsString());
  vCondPag.SetGeraLancCh(q.FieldByName("GERALANCCH").AsString());
  // Older condition tables lack these columns; then the elements are left out.
  if (q.FHasField("VencerNoDia")) vCondPag.SetVencerNoDia(q.FieldByName("VencerNoDia").AsInteger());
  if (q.FHasField("Carencia")) vCondPag.SetCarencia(q.FieldByName("Carencia").AsInteger());
  if (q.FHasField("NumParcelas")) vCondPag.SetNumParcs(q.FieldByName("NumParcelas").AsInteger());
}

}  // namespace data
