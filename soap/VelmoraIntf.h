// The order service's interface IVelmora and its registration. The five
// order operations take the order key (nullptr when the request carried no
// key object) and answer a whole XML document as an 8-bit string, or true /
// false; FVerificaAtividade is the liveness check.
//
// PRegisterVelmoraIntf registers the key type TChavePedido, the interface
// (namespace formed from the unit: "urn:VelmoraIntf-IVelmora") and its
// implementing class TVelmora. Call it once at start-up, after
// PRegisterWSDLPublish; calling it again changes nothing.
#pragma once

#include <string>

#include "data/uClassChavePedido.h"
#include "soap/InvokeRegistry.h"

namespace soap {

inline constexpr const char* cVelmoraIntfGuid = "{51286252-B655-4958-BC05-4556689402A3}";

class IVelmora : public IInvokable {
 public:
  [[nodiscard]] virtual bool FVerificaAtividade() = 0;
  [[nodiscard]] virtual std::string FRetornaPedido(const data::TChavePedido* pChavePedido) = 0;
  [[nodiscard]] virtual std::string FRetornaPedidoItem(const data::TChavePedido* pChavePedido) = 0;
  [[nodiscard]] virtual bool FAtualizaStatusPedido(const data::TChavePedido* pChavePedido) = 0;
  [[nodiscard]] virtual std::string FRetornaColConvenios(const data::TChavePedido* pChavePedido) = 0;
  [[nodiscard]] virtual std::string FRetornaColFinancimentos(const data::TChavePedido* pChavePedido) = 0;
};

void PRegisterVelmoraIntf();

}  // namespace soap
