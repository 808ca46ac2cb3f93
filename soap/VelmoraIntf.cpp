#include "soap/VelmoraIntf.h"

#include "soap/VelmoraImpl.h"
#include "soap/uClassChavePedidoSoap.h"

namespace soap {

void PRegisterVelmoraIntf() {
  PRegisterChavePedido();

  using K = data::TChavePedido;
  const std::vector<TParamInfo> vKey = {{"pChavePedido", "TChavePedido", TParamFlag::In}};
  // Namespace, documentation and SOAP action stay unregistered: the defaults
  // formed from unit and interface name are the contract.
  TInterfaceBuilder<IVelmora>("IVelmora", "VelmoraIntf")
      .FGuid(cVelmoraIntfGuid)
      .FMethod("FVerificaAtividade", {}, cTypeBoolean,
               [](IVelmora& i, const TSoapArgs&) { return TSoapValue::FBoolean(i.FVerificaAtividade()); })
      .FMethod("FRetornaPedido", vKey, cTypeString,
               [](IVelmora& i, const TSoapArgs& a) { return TSoapValue::FString(i.FRetornaPedido(FArgObject<K>(a, 0))); })
      .FMethod("FRetornaPedidoItem", vKey, cTypeString,
               [](IVelmora& i, const TSoapArgs& a) {
                 return TSoapValue::FString(i.FRetornaPedidoItem(FArgObject<K>(a, 0)));
               })
      .FMethod("FAtualizaStatusPedido", vKey, cTypeBoolean,
               [](IVelmora& i, const TSoapArgs& a) {
                 return TSoapValue::FBoolean(i.FAtualizaStatusPedido(FArgObject<K>(a, 0)));
               })
      .FMethod("FRetornaColConvenios", vKey, cTypeString,
               [](IVelmora& i, const TSoapArgs& a) {
                 return TSoapValue::FString(i.FRetornaColConvenios(FArgObject<K>(a, 0)));
               })
      .FMethod("FRetornaColFinancimentos", vKey, cTypeString,
               [](IVelmora& i, const TSoapArgs& a) {
                 return TSoapValue::FString(i.FRetornaColFinancimentos(FArgObject<K>(a, 0)));
               })
      .PRegister();

  PRegisterVelmoraImpl();
}

}  // namespace soap
