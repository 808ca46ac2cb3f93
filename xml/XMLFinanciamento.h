// Binding classes of the financings document: the document element
// "financimentos" (TXMLFinancimentosType), a list of "financimento" elements
// (TXMLFinanciamentoType). A financing holds the list "Planos"
// (TXMLPlanosType) of the company's plans and the chosen plan "Plano"; both
// kinds of plan use TXMLPlanoType. The odd spellings are the document's own.
// Properties never set produce no element. Objects are views owned by their
// document (see xml/XMLBinding.h).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "xml/XMLBinding.h"

namespace xmlbind {

class TXMLPlanoType : public TXMLNode {
 public:
  // The 28 coefficient elements in their declared order; each is also a
  // text property below. The plans statement selects columns of the same
  // names.
  static constexpr std::array<std::string_view, 28> cCoeficientes = {
      "Coeficientemenos15",
      "Coeficientemenos10",
      "Coeficientemenos5",
      "Coeficiente00",
      "Coeficientemais5",
      "Coeficientemais10",
      "Coeficientemais15",
      "Coeficientemais20",
      "Coeficientemais25",
      "Coeficientemais30",
      "Coeficientemais35",
      "Coeficientemais40",
      "Coeficientemais45",
      "Coeficientemais50",
      "Coeficientemais55",
      "Coeficientemais60",
      "Coeficientemais65",
      "Coeficientemais70",
      "Coeficientemais75",
      "Coeficientemais80",
      "Coeficientemais85",
      "Coeficientemais90",
      "Coeficientemais95",
      "Coeficientemais100",
      "Coeficientemais105",
      "Coeficientemais110",
      "Coeficientemais115",
      "Coeficientemais120"
  };

  explicit TXMLPlanoType(TXMLElement& pElement);

  void SetCodformapgto(std::string_view pValue) { SetChildText("Codformapgto", pValue); }
  [[nodiscard]] std::string Codformapgto() { return ChildText("Codformapgto"); }
  void SetCodplano(std::string_view pValue) { SetChildText("Codplano", pValue); }
  [[nodiscard]] std::string Codplano() { return ChildText("Codplano"); }
  void SetDescformapgto(std::string_view pValue) { SetChildText("Descformapgto", pValue); }
  [[nodiscard]] std::string Descformapgto() { return ChildText("Descformapgto"); }
  void SetNumparc(std::int32_t pValue) { SetChildInteger("Numparc", pValue); }
  [[nodiscard]] std::int32_t Numparc() { return ChildInteger("Numparc"); }
  void SetCoeficientemenos15(std::string_view pValue) { SetChildText("Coeficientemenos15", pValue); }
  [[nodiscard]] std::string Coeficientemenos15() { return ChildText("Coeficientemenos15"); }
  void SetCoeficientemenos10(std::string_view pValue) { SetChildText("Coeficientemenos10", pValue); }
  [[nodiscard]] std::string Coeficientemenos10() { return ChildText("Coeficientemenos10"); }
  void SetCoeficientemenos5(std::string_view pValue) { SetChildText("Coeficientemenos5", pValue); }
  [[nodiscard]] std::string Coeficientemenos5() { return ChildText("Coeficientemenos5"); }
  void SetCoeficiente00(std::string_view pValue) { SetChildText("Coeficiente00", pValue); }
  [[nodiscard]] std::string Coeficiente00() { return ChildText("Coeficiente00"); }
  void SetCoeficientemais5(std::string_view pValue) { SetChildText("Coeficientemais5", pValue); }
  [[nodiscard]] std::string Coeficientemais5() { return ChildText("Coeficientemais5"); }
  void SetCoeficientemais10(std::string_view pValue) { SetChildText("Coeficientemais10", pValue); }
  [[nodiscard]] std::string Coeficientemais10() { return ChildText("Coeficientemais10"); }
  void SetCoeficientemais15(std::string_view pValue) { SetChildText("Coeficientemais15", pValue); }
  [[nodiscard]] std::string Coeficientemais15() { return ChildText("Coeficientemais15"); }
  void SetCoeficientemais20(std::string_view pValue) { SetChildText("Coeficientemais20", pValue); }
  [[nodiscard]] std::string Coeficientemais20() { return ChildText("Coeficientemais20"); }
  void SetCoeficientemais25(std::string_view pValue) { SetChildText("Coeficientemais25", pValue); }
  [[nodiscard]] std::string Coeficientemais25() { return ChildText("Coeficientemais25"); }
  void SetCoeficientemais30(std::string_view pValue) { SetChildText("Coeficientemais30", pValue); }
  [[nodiscard]] std::string Coeficientemais30() { return ChildText("Coeficientemais30"); }
  void SetCoeficientemais35(std::string_view pValue) { SetChildText("Coeficientemais35", pValue); }
  [[nodiscard]] std::string Coeficientemais35() { return ChildText("Coeficientemais35"); }
  void SetCoeficientemais40(std::string_view pValue) { SetChildText("Coeficientemais40", pValue); }
  [[nodiscard]] std::string Coeficientemais40() { return ChildText("Coeficientemais40"); }
  void SetCoeficientemais45(std::string_view pValue) { SetChildText("Coeficientemais45", pValue); }
  [[nodiscard]] std::string Coeficientemais45() { return ChildText("Coeficientemais45"); }
  void SetCoeficientemais50(std::string_view pValue) { SetChildText("Coeficientemais50", pValue); }
  [[nodiscard]] std::string Coeficientemais50() { return ChildText("Coeficientemais50"); }
  void SetCoeficientemais55(std::string_view pValue) { SetChildText("Coeficientemais55", pValue); }
  [[nodiscard]] std::string Coeficientemais55() { return ChildText("Coeficientemais55"); }
  void SetCoeficientemais60(std::string_view pValue) { SetChildText("Coeficientemais60", pValue); }
  [[nodiscard]] std::string Coeficientemais60() { return ChildText("Coeficientemais60"); }
  void SetCoeficientemais65(std::string_view pValue) { SetChildText("Coeficientemais65", pValue); }
  [[nodiscard]] std::string Coeficientemais65() { return ChildText("Coeficientemais65"); }
  void SetCoeficientemais70(std::string_view pValue) { SetChildText("Coeficientemais70", pValue); }
  [[nodiscard]] std::string Coeficientemais70() { return ChildText("Coeficientemais70"); }
  void SetCoeficientemais75(std::string_view pValue) { SetChildText("Coeficientemais75", pValue); }
  [[nodiscard]] std::string Coeficientemais75() { return ChildText("Coeficientemais75"); }
  void SetCoeficientemais80(std::string_view pValue) { SetChildText("Coeficientemais80", pValue); }
  [[nodiscard]] std::string Coeficientemais80() { return ChildText("Coeficientemais80"); }
  void SetCoeficientemais85(std::string_view pValue) { SetChildText("Coeficientemais85", pValue); }
  [[nodiscard]] std::string Coeficientemais85() { return ChildText("Coeficientemais85"); }
  void SetCoeficientemais90(std::string_view pValue) { SetChildText("Coeficientemais90", pValue); }
  [[nodiscard]] std::string Coeficientemais90() { return ChildText("Coeficientemais90"); }
  void SetCoeficientemais95(std::string_view pValue) { SetChildText("Coeficientemais95", pValue); }
  [[nodiscard]] std::string Coeficientemais95() { return ChildText("Coeficientemais95"); }
  void SetCoeficientemais100(std::string_view pValue) { SetChildText("Coeficientemais100", pValue); }
  [[nodiscard]] std::string Coeficientemais100() { return ChildText("Coeficientemais100"); }
  void SetCoeficientemais105(std::string_view pValue) { SetChildText("Coeficientemais105", pValue); }
  [[nodiscard]] std::string Coeficientemais105() { return ChildText("Coeficientemais105"); }
  void SetCoeficientemais110(std::string_view pValue) { SetChildText("Coeficientemais110", pValue); }
  [[nodiscard]] std::string Coeficientemais110() { return ChildText("Coeficientemais110"); }
  void SetCoeficientemais115(std::string_view pValue) { SetChildText("Coeficientemais115", pValue); }
  [[nodiscard]] std::string Coeficientemais115() { return ChildText("Coeficientemais115"); }
  void SetCoeficientemais120(std::string_view pValue) { SetChildText("Coeficientemais120", pValue); }
  [[nodiscard]] std::string Coeficientemais120() { return ChildText("Coeficientemais120"); }
  void SetSegurofinanc(std::string_view pValue) { SetChildText("Segurofinanc", pValue); }
  [[nodiscard]] std::string Segurofinanc() { return ChildText("Segurofinanc"); }
  void SetTaxacobrada(std::string_view pValue) { SetChildText("Taxacobrada", pValue); }
  [[nodiscard]] std::string Taxacobrada() { return ChildText("Taxacobrada"); }
  void SetAtivo(std::string_view pValue) { SetChildText("Ativo", pValue); }
  [[nodiscard]] std::string Ativo() { return ChildText("Ativo"); }
  void SetEntrada(std::string_view pValue) { SetChildText("Entrada", pValue); }
  [[nodiscard]] std::string Entrada() { return ChildText("Entrada"); }
  void SetTaxaam(std::string_view pValue) { SetChildText("Taxaam", pValue); }
  [[nodiscard]] std::string Taxaam() { return ChildText("Taxaam"); }
  void SetTac(std::string_view pValue) { SetChildText("Tac", pValue); }
  [[nodiscard]] std::string Tac() { return ChildText("Tac"); }
  void SetTaxaRetencao(std::string_view pValue) { SetChildText("TaxaRetencao", pValue); }
  [[nodiscard]] std::string TaxaRetencao() { return ChildText("TaxaRetencao"); }
  void SetRetencaoValor(std::string_view pValue) { SetChildText("RetencaoValor", pValue); }
  [[nodiscard]] std::string RetencaoValor() { return ChildText("RetencaoValor"); }
  void SetIndiceInversao(std::string_view pValue) { SetChildText("IndiceInversao", pValue); }
  [[nodiscard]] std::string IndiceInversao() { return ChildText("IndiceInversao"); }
  void SetSeguroFinanciamento(std::string_view pValue) { SetChildText("SeguroFinanciamento", pValue); }
  [[nodiscard]] std::string SeguroFinanciamento() { return ChildText("SeguroFinanciamento"); }
  void SetTaxaa(std::string_view pValue) { SetChildText("Taxaa", pValue); }
  [[nodiscard]] std::string Taxaa() { return ChildText("Taxaa"); }
  void SetTacLoja(std::string_view pValue) { SetChildText("TacLoja", pValue); }
  [[nodiscard]] std::string TacLoja() { return ChildText("TacLoja"); }
};

class TXMLPlanosType : public TXMLNodeCollectionOf<TXMLPlanoType> {
 public:
  static constexpr std::string_view cItemElementName = "Plano";

  explicit TXMLPlanosType(TXMLElement& pElement);
};

class TXMLFinanciamentoType : public TXMLNode {
 public:
  explicit TXMLFinanciamentoType(TXMLElement& pElement);

  void SetCodFinanceira(std::string_view pValue) { SetChildText("CodFinanceira", pValue); }
  [[nodiscard]] std::string CodFinanceira() { return ChildText("CodFinanceira"); }
  void SetDescricao(std::string_view pValue) { SetChildText("Descricao", pValue); }
  [[nodiscard]] std::string Descricao() { return ChildText("Descricao"); }
  void SetEndereco(std::string_view pValue) { SetChildText("Endereco", pValue); }
  [[nodiscard]] std::string Endereco() { return ChildText("Endereco"); }
  void SetTelefone(std::string_view pValue) { SetChildText("Telefone", pValue); }
  [[nodiscard]] std::string Telefone() { return ChildText("Telefone"); }
  void SetVendeSemEntrada(std::string_view pValue) { SetChildText("VendeSemEntrada", pValue); }
  [[nodiscard]] std::string VendeSemEntrada() { return ChildText("VendeSemEntrada"); }
  void SetContato(std::string_view pValue) { SetChildText("Contato", pValue); }
  [[nodiscard]] std::string Contato() { return ChildText("Contato"); }
  void SetGeraCxa(std::string_view pValue) { SetChildText("GeraCxa", pValue); }
  [[nodiscard]] std::string GeraCxa() { return ChildText("GeraCxa"); }
  void SetCodempresaCxa(std::string_view pValue) { SetChildText("CodempresaCxa", pValue); }
  [[nodiscard]] std::string CodempresaCxa() { return ChildText("CodempresaCxa"); }
  void SetGeraRec(std::string_view pValue) { SetChildText("GeraRec", pValue); }
  [[nodiscard]] std::string GeraRec() { return ChildText("GeraRec"); }
  void SetCodempresaRec(std::string_view pValue) { SetChildText("CodempresaRec", pValue); }
  [[nodiscard]] std::string CodempresaRec() { return ChildText("CodempresaRec"); }
  void SetCodcliente(std::string_view pValue) { SetChildText("Codcliente", pValue); }
  [[nodiscard]] std::string Codcliente() { return ChildText("Codcliente"); }
  void SetLimiteAjusteParcela(std::string_view pValue) { SetChildText("LimiteAjusteParcela", pValue); }
  [[nodiscard]] std::string LimiteAjusteParcela() { return ChildText("LimiteAjusteParcela"); }
  TXMLPlanosType& Planos() { return ChildElementAs<TXMLPlanosType>("Planos"); }
  void SetCarencia(std::int32_t pValue) { SetChildInteger("Carencia", pValue); }
  [[nodiscard]] std::int32_t Carencia() { return ChildInteger("Carencia"); }
  TXMLPlanoType& Plano() { return ChildElementAs<TXMLPlanoType>("Plano"); }
  void SetVlrFinanc(std::string_view pValue) { SetChildText("VlrFinanc", pValue); }
  [[nodiscard]] std::string VlrFinanc() { return ChildText("VlrFinanc"); }
  void SetMensalidade(std::string_view pValue) { SetChildText("Mensalidade", pValue); }
  [[nodiscard]] std::string Mensalidade() { return ChildText("Mensalidade"); }
  void SetCompCodDocto(std::string_view pValue) { SetChildText("CompCodDocto", pValue); }
  [[nodiscard]] std::string CompCodDocto() { return ChildText("CompCodDocto"); }
};

class TXMLFinancimentosType : public TXMLNodeCollectionOf<TXMLFinanciamentoType> {
 public:
  static constexpr std::string_view cElementName = "financimentos";
  static constexpr std::string_view cItemElementName = "financimento";

  explicit TXMLFinancimentosType(TXMLElement& pElement);
};

}  // namespace xmlbind
