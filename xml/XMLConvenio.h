// Binding classes of the agreements document: the document element
// "convenios" (TXMLConveniosType), a list of "convenio" elements
// (TXMLConvenioType), each with its payment condition "condPag"
// (TXMLCondPagType). Properties never set produce no element. Objects are
// views owned by their document (see xml/XMLBinding.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "xml/XMLBinding.h"

namespace xmlbind {

class TXMLCondPagType : public TXMLNode {
 public:
  // The numbered terms and percentages run "PRAZO1".."PRAZO13" and
  // "PERCENT1".."PERCENT13".
  static constexpr int cNumeroDePrazos = 13;

  explicit TXMLCondPagType(TXMLElement& pElement);

  void SetCodPrazo(std::string_view pValue) { SetChildText("CodPrazo", pValue); }
  [[nodiscard]] std::string CodPrazo() { return ChildText("CodPrazo"); }
  void SetDescricao(std::string_view pValue) { SetChildText("Descricao", pValue); }
  [[nodiscard]] std::string Descricao() { return ChildText("Descricao"); }
  // pNumero from 1 to cNumeroDePrazos; anything else raises EXMLBindingError.
  void SetPRAZO(int pNumero, std::int32_t pValue);
  [[nodiscard]] std::int32_t PRAZO(int pNumero);
  void SetPERCENT(int pNumero, std::string_view pValue);
  [[nodiscard]] std::string PERCENT(int pNumero);
  void SetAumentoPreco1(std::string_view pValue) { SetChildText("AumentoPreco1", pValue); }
  [[nodiscard]] std::string AumentoPreco1() { return ChildText("AumentoPreco1"); }
  void SetGeraLancCh(std::string_view pValue) { SetChildText("GeraLancCh", pValue); }
  [[nodiscard]] std::string GeraLancCh() { return ChildText("GeraLancCh"); }
  void SetVencerNoDia(std::int32_t pValue) { SetChildInteger("VencerNoDia", pValue); }
  [[nodiscard]] std::int32_t VencerNoDia() { return ChildInteger("VencerNoDia"); }
  void SetCarencia(std::int32_t pValue) { SetChildInteger("Carencia", pValue); }
  [[nodiscard]] std::int32_t Carencia() { return ChildInteger("Carencia"); }
  void SetNumParcs(std::int32_t pValue) { SetChildInteger("NumParcs", pValue); }
  [[nodiscard]] std::int32_t NumParcs() { return ChildInteger("NumParcs"); }
};

class TXMLConvenioType : public TXMLNode {
 public:
  explicit TXMLConvenioType(TXMLElement& pElement);

  void SetcodConvenio(std::string_view pValue) { SetChildText("codConvenio", pValue); }
  [[nodiscard]] std::string codConvenio() { return ChildText("codConvenio"); }
  void Setmatricula(std::string_view pValue) { SetChildText("matricula", pValue); }
  [[nodiscard]] std::string matricula() { return ChildText("matricula"); }
  void Setconveniado(std::string_view pValue) { SetChildText("conveniado", pValue); }
  [[nodiscard]] std::string conveniado() { return ChildText("conveniado"); }
  void Setvalor(std::string_view pValue) { SetChildText("valor", pValue); }
  [[nodiscard]] std::string valor() { return ChildText("valor"); }
  void SetDescConvenio(std::string_view pValue) { SetChildText("DescConvenio", pValue); }
  [[nodiscard]] std::string DescConvenio() { return ChildText("DescConvenio"); }
  void SetcodCliente(std::string_view pValue) { SetChildText("codCliente", pValue); }
  [[nodiscard]] std::string codCliente() { return ChildText("codCliente"); }
  void SetDiaVencCon(std::int32_t pValue) { SetChildInteger("DiaVencCon", pValue); }
  [[nodiscard]] std::int32_t DiaVencCon() { return ChildInteger("DiaVencCon"); }
  void SetPercDesc(std::string_view pValue) { SetChildText("PercDesc", pValue); }
  [[nodiscard]] std::string PercDesc() { return ChildText("PercDesc"); }
  void SetCodDocto(std::string_view pValue) { SetChildText("CodDocto", pValue); }
  [[nodiscard]] std::string CodDocto() { return ChildText("CodDocto"); }
  void SetContaCxaCartCon(std::string_view pValue) { SetChildText("ContaCxaCartCon", pValue); }
  [[nodiscard]] std::string ContaCxaCartCon() { return ChildText("ContaCxaCartCon"); }
  void SetConvPromoOper(std::string_view pValue) { SetChildText("ConvPromoOper", pValue); }
  [[nodiscard]] std::string ConvPromoOper() { return ChildText("ConvPromoOper"); }
  void SetConvenioDebito(std::string_view pValue) { SetChildText("ConvenioDebito", pValue); }
  [[nodiscard]] std::string ConvenioDebito() { return ChildText("ConvenioDebito"); }
  void SetProtocolo(std::string_view pValue) { SetChildText("Protocolo", pValue); }
  [[nodiscard]] std::string Protocolo() { return ChildText("Protocolo"); }
  void SetCodigoAutorizacao(std::string_view pValue) { SetChildText("CodigoAutorizacao", pValue); }
  [[nodiscard]] std::string CodigoAutorizacao() { return ChildText("CodigoAutorizacao"); }
  void SetDoctoAutorizacao(std::string_view pValue) { SetChildText("DoctoAutorizacao", pValue); }
  [[nodiscard]] std::string DoctoAutorizacao() { return ChildText("DoctoAutorizacao"); }
  void SetDescTotalizCon(std::string_view pValue) { SetChildText("DescTotalizCon", pValue); }
  [[nodiscard]] std::string DescTotalizCon() { return ChildText("DescTotalizCon"); }
  void SetCodiTotalizCon(std::string_view pValue) { SetChildText("CodiTotalizCon", pValue); }
  [[nodiscard]] std::string CodiTotalizCon() { return ChildText("CodiTotalizCon"); }
  TXMLCondPagType& condPag() { return ChildElementAs<TXMLCondPagType>("condPag"); }
};

class TXMLConveniosType : public TXMLNodeCollectionOf<TXMLConvenioType> {
 public:
  static constexpr std::string_view cElementName = "convenios";
  static constexpr std::string_view cItemElementName = "convenio";

  explicit TXMLConveniosType(TXMLElement& pElement);
};

}  // namespace xmlbind
