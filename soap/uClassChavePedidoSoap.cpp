#include "soap/uClassChavePedidoSoap.h"

#include "data/uClassChavePedido.h"
#include "soap/InvokeRegistry.h"

namespace soap {

void PRegisterChavePedido() {
  // XML name and namespace come from the class and unit names.
  TClassBuilder<data::TChavePedido>("TChavePedido", "uClassChavePedido")
      .FProperty("CodEmpresa", cTypeString, &data::TChavePedido::CodEmpresa)
      .FProperty("CodPedido", cTypeString, &data::TChavePedido::CodPedido)
      .FProperty("TipoPedido", cTypeString, &data::TChavePedido::TipoPedido)
      .PRegister();
}

}  // namespace soap
