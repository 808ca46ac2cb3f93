// TVelmora, the implementation of IVelmora: a thin pass-through. Each order
// operation hands the key unchanged to the process's database module
// (data::vFireBird, read at the moment of the call) and returns its answer
// unchanged; exceptions of the module go through to the invoker, which
// answers them with a fault. A new TVelmora is made for every call.
#pragma once

#include "soap/VelmoraIntf.h"

namespace soap {

class TVelmora : public IVelmora {
 public:
  bool FVerificaAtividade() override;
  std::string FRetornaPedido(const data::TChavePedido* pChavePedido) override;
  std::string FRetornaPedidoItem(const data::TChavePedido* pChavePedido) override;
  bool FAtualizaStatusPedido(const data::TChavePedido* pChavePedido) override;
  std::string FRetornaColConvenios(const data::TChavePedido* pChavePedido) override;
  std::string FRetornaColFinancimentos(const data::TChavePedido* pChavePedido) override;
};

// Records TVelmora as the implementing class of IVelmora.
void PRegisterVelmoraImpl();

}  // namespace soap
