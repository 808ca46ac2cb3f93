// Binding classes of the order header document: the document element
// "Pedido" (TXMLPedidoType) and its settlement element "EnceFat"
// (TXMLEnceFatType). Each property reads or writes the child element of the
// same name; the children appear in the order the caller first touches them.
// Objects are views owned by their document (see xml/XMLBinding.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "xml/XMLBinding.h"

namespace xmlbind {

class TXMLEnceFatType : public TXMLNode {
 public:
  explicit TXMLEnceFatType(TXMLElement& pElement);

  void SetVlrcartao(std::string_view pValue) { SetChildText("Vlrcartao", pValue); }
  [[nodiscard]] std::string Vlrcartao() { return ChildText("Vlrcartao"); }
  void SetVlrreceber(std::string_view pValue) { SetChildText("Vlrreceber", pValue); }
  [[nodiscard]] std::string Vlrreceber() { return ChildText("Vlrreceber"); }
  void SetVlrcheques(std::string_view pValue) { SetChildText("Vlrcheques", pValue); }
  [[nodiscard]] std::string Vlrcheques() { return ChildText("Vlrcheques"); }
  void SetVlrconvenio(std::string_view pValue) { SetChildText("Vlrconvenio", pValue); }
  [[nodiscard]] std::string Vlrconvenio() { return ChildText("Vlrconvenio"); }
  void SetVlrdinheiro(std::string_view pValue) { SetChildText("Vlrdinheiro", pValue); }
  [[nodiscard]] std::string Vlrdinheiro() { return ChildText("Vlrdinheiro"); }
  void SetVlrfinanc(std::string_view pValue) { SetChildText("Vlrfinanc", pValue); }
  [[nodiscard]] std::string Vlrfinanc() { return ChildText("Vlrfinanc"); }
};

class TXMLPedidoType : public TXMLNode {
 public:
  static constexpr std::string_view cElementName = "Pedido";

  explicit TXMLPedidoType(TXMLElement& pElement);

  void SetCodEmpresa(std::string_view pValue) { SetChildText("CodEmpresa", pValue); }
  [[nodiscard]] std::string CodEmpresa() { return ChildText("CodEmpresa"); }
  void SetCodPedido(std::string_view pValue) { SetChildText("CodPedido", pValue); }
  [[nodiscard]] std::string CodPedido() { return ChildText("CodPedido"); }
  void SetTipoPedido(std::string_view pValue) { SetChildText("TipoPedido", pValue); }
  [[nodiscard]] std::string TipoPedido() { return ChildText("TipoPedido"); }
  void SetCodCliente(std::string_view pValue) { SetChildText("CodCliente", pValue); }
  [[nodiscard]] std::string CodCliente() { return ChildText("CodCliente"); }
  void SetNomeCliente(std::string_view pValue) { SetChildText("NomeCliente", pValue); }
  [[nodiscard]] std::string NomeCliente() { return ChildText("NomeCliente"); }
  void SetCPFCNPJCli(std::string_view pValue) { SetChildText("CPFCNPJCli", pValue); }
  [[nodiscard]] std::string CPFCNPJCli() { return ChildText("CPFCNPJCli"); }
  void SetCodVendedor(std::string_view pValue) { SetChildText("CodVendedor", pValue); }
  [[nodiscard]] std::string CodVendedor() { return ChildText("CodVendedor"); }
  void SetCodVendedor2(std::string_view pValue) { SetChildText("CodVendedor2", pValue); }
  [[nodiscard]] std::string CodVendedor2() { return ChildText("CodVendedor2"); }
  void SetDescontoValor(std::string_view pValue) { SetChildText("DescontoValor", pValue); }
  [[nodiscard]] std::string DescontoValor() { return ChildText("DescontoValor"); }
  void SetDescontoPerc(std::string_view pValue) { SetChildText("DescontoPerc", pValue); }
  [[nodiscard]] std::string DescontoPerc() { return ChildText("DescontoPerc"); }
  void SetAcrescimo(std::string_view pValue) { SetChildText("Acrescimo", pValue); }
  [[nodiscard]] std::string Acrescimo() { return ChildText("Acrescimo"); }
  void SetTotalPedido(std::string_view pValue) { SetChildText("TotalPedido", pValue); }
  [[nodiscard]] std::string TotalPedido() { return ChildText("TotalPedido"); }
  void SetDataPedido(std::string_view pValue) { SetChildText("DataPedido", pValue); }
  [[nodiscard]] std::string DataPedido() { return ChildText("DataPedido"); }
  void SetCodPrazo(std::string_view pValue) { SetChildText("CodPrazo", pValue); }
  [[nodiscard]] std::string CodPrazo() { return ChildText("CodPrazo"); }
  void SetObservacao(std::string_view pValue) { SetChildText("Observacao", pValue); }
  [[nodiscard]] std::string Observacao() { return ChildText("Observacao"); }
  void SetCodigoMidia(std::string_view pValue) { SetChildText("CodigoMidia", pValue); }
  [[nodiscard]] std::string CodigoMidia() { return ChildText("CodigoMidia"); }
  void SetDescCredito(std::string_view pValue) { SetChildText("DescCredito", pValue); }
  [[nodiscard]] std::string DescCredito() { return ChildText("DescCredito"); }
  void SetCreditoTroca(std::string_view pValue) { SetChildText("CreditoTroca", pValue); }
  [[nodiscard]] std::string CreditoTroca() { return ChildText("CreditoTroca"); }
  void SetFaturado(std::string_view pValue) { SetChildText("Faturado", pValue); }
  [[nodiscard]] std::string Faturado() { return ChildText("Faturado"); }
  TXMLEnceFatType& EnceFat() { return ChildElementAs<TXMLEnceFatType>("EnceFat"); }
  void SetCOO(std::string_view pValue) { SetChildText("COO", pValue); }
  [[nodiscard]] std::string COO() { return ChildText("COO"); }
  void SetCOOImpFiscal(std::string_view pValue) { SetChildText("COOImpFiscal", pValue); }
  [[nodiscard]] std::string COOImpFiscal() { return ChildText("COOImpFiscal"); }
  void SetNumECF(std::string_view pValue) { SetChildText("NumECF", pValue); }
  [[nodiscard]] std::string NumECF() { return ChildText("NumECF"); }
  void SetCodPedidoVenda(std::string_view pValue) { SetChildText("CodPedidoVenda", pValue); }
  [[nodiscard]] std::string CodPedidoVenda() { return ChildText("CodPedidoVenda"); }
  void SetStatusPedido(std::string_view pValue) { SetChildText("StatusPedido", pValue); }
  [[nodiscard]] std::string StatusPedido() { return ChildText("StatusPedido"); }
  void SetConferido(std::string_view pValue) { SetChildText("Conferido", pValue); }
  [[nodiscard]] std::string Conferido() { return ChildText("Conferido"); }
  void SetTipoFrete(std::string_view pValue) { SetChildText("TipoFrete", pValue); }
  [[nodiscard]] std::string TipoFrete() { return ChildText("TipoFrete"); }
  void SetFrete(std::string_view pValue) { SetChildText("Frete", pValue); }
  [[nodiscard]] std::string Frete() { return ChildText("Frete"); }
};

}  // namespace xmlbind
