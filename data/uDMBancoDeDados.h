// The abstract database module: the five data operations of the service, in
// their declared order. This class answers each with its default (empty
// string, or true for the status update); TFireBird overrides them.
//
// A key of nullptr means the request carried no key object; every override
// must answer that without dereferencing it.
#pragma once

#include <string>

#include "data/uClassChavePedido.h"

namespace data {

class TDMBancoDeDados {
 public:
  TDMBancoDeDados() = default;
  virtual ~TDMBancoDeDados() = default;
  TDMBancoDeDados(const TDMBancoDeDados&) = delete;
  TDMBancoDeDados& operator=(const TDMBancoDeDados&) = delete;

  [[nodiscard]] virtual std::string FRetornaPedidoCabecalho(const TChavePedido* pChavePedido);
  [[nodiscard]] virtual std::string FRetornaPedidoItem(const TChavePedido* pChavePedido);
  [[nodiscard]] virtual bool FAtualizaStatusPedido(const TChavePedido* pChavePedido);
  [[nodiscard]] virtual std::string FRetornaColConvenios(const TChavePedido* pChavePedido);
  [[nodiscard]] virtual std::string FRetornaColFinancimentos(const TChavePedido* pChavePedido);

  // Called between two requests of a process that serves many: nothing of
  // the request may stay open on the database (a transaction would hold
  // back the store database's garbage collection). Never throws.
  virtual void PFimRequisicao() noexcept {}
};

}  // namespace data
