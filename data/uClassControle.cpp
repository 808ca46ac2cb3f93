#include "data/uClassControle.h"

#include "data/uClassFireBird.h"
#include "tracelog/LogNFe.h"

namespace data {

TControle* vControle = nullptr;
TDMBancoDeDados* vFireBird = nullptr;

std::unique_ptr<TDMBancoDeDados> TControle::FRetornaBancoDeDados(port::IEnv& pEnv) {
  tracelog::PCriaLog("", "S");  // the process's slot; an existing log stays
  tracelog::FRetornaLog().Info(FClassName(), "Entrando no procedimento: FRetornaBancoDeDados");
  return std::make_unique<TFireBird>(pEnv);
}

}  // namespace data
