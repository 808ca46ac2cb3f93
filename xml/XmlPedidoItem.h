// Binding classes of the order items document: the document element
// "ListaItem" (TXMLListaItemType), a list of "Item" elements
// (TXMLItemType). "Operacao" and "CodPromo" are integer properties, the
// other children text. Objects are views owned by their document (see
// xml/XMLBinding.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "xml/XMLBinding.h"

namespace xmlbind {

class TXMLItemType : public TXMLNode {
 public:
  explicit TXMLItemType(TXMLElement& pElement);

  void SetCodPedido(std::string_view pValue) { SetChildText("CodPedido", pValue); }
  [[nodiscard]] std::string CodPedido() { return ChildText("CodPedido"); }
  void SetCodProd(std::string_view pValue) { SetChildText("CodProd", pValue); }
  [[nodiscard]] std::string CodProd() { return ChildText("CodProd"); }
  void SetCodGrade(std::string_view pValue) { SetChildText("CodGrade", pValue); }
  [[nodiscard]] std::string CodGrade() { return ChildText("CodGrade"); }
  void SetAliqIcm(std::string_view pValue) { SetChildText("AliqIcm", pValue); }
  [[nodiscard]] std::string AliqIcm() { return ChildText("AliqIcm"); }
  void SetBaseIcm(std::string_view pValue) { SetChildText("BaseIcm", pValue); }
  [[nodiscard]] std::string BaseIcm() { return ChildText("BaseIcm"); }
  void SetAliqIss(std::string_view pValue) { SetChildText("AliqIss", pValue); }
  [[nodiscard]] std::string AliqIss() { return ChildText("AliqIss"); }
  void SetDescontoVlr(std::string_view pValue) { SetChildText("DescontoVlr", pValue); }
  [[nodiscard]] std::string DescontoVlr() { return ChildText("DescontoVlr"); }
  void SetAcrescimoVlr(std::string_view pValue) { SetChildText("AcrescimoVlr", pValue); }
  [[nodiscard]] std::string AcrescimoVlr() { return ChildText("AcrescimoVlr"); }
  void SetPrecoUnit(std::string_view pValue) { SetChildText("PrecoUnit", pValue); }
  [[nodiscard]] std::string PrecoUnit() { return ChildText("PrecoUnit"); }
  void SetPrecoTabela(std::string_view pValue) { SetChildText("PrecoTabela", pValue); }
  [[nodiscard]] std::string PrecoTabela() { return ChildText("PrecoTabela"); }
  void SetQuantidade(std::string_view pValue) { SetChildText("Quantidade", pValue); }
  [[nodiscard]] std::string Quantidade() { return ChildText("Quantidade"); }
  void SetUnidadeSaida(std::string_view pValue) { SetChildText("UnidadeSaida", pValue); }
  [[nodiscard]] std::string UnidadeSaida() { return ChildText("UnidadeSaida"); }
  void SetCodTVenda(std::string_view pValue) { SetChildText("CodTVenda", pValue); }
  [[nodiscard]] std::string CodTVenda() { return ChildText("CodTVenda"); }
  void SetOperacao(std::int32_t pValue) { SetChildInteger("Operacao", pValue); }
  [[nodiscard]] std::int32_t Operacao() { return ChildInteger("Operacao"); }
  void SetSerie(std::string_view pValue) { SetChildText("Serie", pValue); }
  [[nodiscard]] std::string Serie() { return ChildText("Serie"); }
  void SetContrato(std::string_view pValue) { SetChildText("Contrato", pValue); }
  [[nodiscard]] std::string Contrato() { return ChildText("Contrato"); }
  void SetFone(std::string_view pValue) { SetChildText("Fone", pValue); }
  [[nodiscard]] std::string Fone() { return ChildText("Fone"); }
  void SetCodPromo(std::int32_t pValue) { SetChildInteger("CodPromo", pValue); }
  [[nodiscard]] std::int32_t CodPromo() { return ChildInteger("CodPromo"); }
  void SetTabela(std::string_view pValue) { SetChildText("Tabela", pValue); }
  [[nodiscard]] std::string Tabela() { return ChildText("Tabela"); }
  void SetControleSerie(std::string_view pValue) { SetChildText("ControleSerie", pValue); }
  [[nodiscard]] std::string ControleSerie() { return ChildText("ControleSerie"); }
  void SetAutRefidelizacao(std::string_view pValue) { SetChildText("AutRefidelizacao", pValue); }
  [[nodiscard]] std::string AutRefidelizacao() { return ChildText("AutRefidelizacao"); }
  void SetTotalRateado(std::string_view pValue) { SetChildText("TotalRateado", pValue); }
  [[nodiscard]] std::string TotalRateado() { return ChildText("TotalRateado"); }
  void SetClaroTeste(std::string_view pValue) { SetChildText("ClaroTeste", pValue); }
  [[nodiscard]] std::string ClaroTeste() { return ChildText("ClaroTeste"); }
  void SetCancelado(std::string_view pValue) { SetChildText("Cancelado", pValue); }
  [[nodiscard]] std::string Cancelado() { return ChildText("Cancelado"); }
  void SetEstoque(std::string_view pValue) { SetChildText("Estoque", pValue); }
  [[nodiscard]] std::string Estoque() { return ChildText("Estoque"); }
};

class TXMLListaItemType : public TXMLNodeCollectionOf<TXMLItemType> {
 public:
  static constexpr std::string_view cElementName = "ListaItem";
  static constexpr std::string_view cItemElementName = "Item";

  explicit TXMLListaItemType(TXMLElement& pElement);
};

}  // namespace xmlbind
