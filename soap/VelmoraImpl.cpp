#include "soap/VelmoraImpl.h"

#include "data/uClassControle.h"
#include "port/Exception.h"

namespace soap {

namespace {

// Start-up always sets the module; a process that reached a call without
// one answers with a fault instead of crashing.
data::TDMBancoDeDados& FModule() {
  if (data::vFireBird == nullptr) throw port::Exception("The database module is not available");
  return *data::vFireBird;
}

}  // namespace

// The liveness check touches neither the database nor the trace log.
bool TVelmora::FVerificaAtividade() { return true; }

std::string TVelmora::FRetornaPedido(const data::TChavePedido* pChavePedido) {
  return FModule().FRetornaPedidoCabecalho(pChavePedido);
}

std::string TVelmora::FRetornaPedidoItem(const data::TChavePedido* pChavePedido) {
  return FModule().FRetornaPedidoItem(pChavePedido);
}

bool TVelmora::FAtualizaStatusPedido(const data::TChavePedido* pChavePedido) {
  return FModule().FAtualizaStatusPedido(pChavePedido);
}

std::string TVelmora::FRetornaColConvenios(const data::TChavePedido* pChavePedido) {
  return FModule().FRetornaColConvenios(pChavePedido);
}

std::string TVelmora::FRetornaColFinancimentos(const data::TChavePedido* pChavePedido) {
  return FModule().FRetornaColFinancimentos(pChavePedido);
}

void PRegisterVelmoraImpl() { PRegisterInvokableClass<TVelmora>("IVelmora", "TVelmora"); }

}  // namespace soap
