// The wire registration of the order key data::TChavePedido: an object type
// "TChavePedido" in "urn:uClassChavePedido" with the three 8-bit string
// properties CodEmpresa, CodPedido, TipoPedido, in this order.
#pragma once

namespace soap {

void PRegisterChavePedido();

}  // namespace soap
