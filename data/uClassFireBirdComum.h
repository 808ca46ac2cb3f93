// What the data operations of TFireBird share and nobody else uses: the error
// for a call that came without an order key, the scope that releases an
// operation's query objects on every way out, and the value forms that pass
// through the module's own helpers.
//
// Internal to data/: include it from the uClassFireBird*.cpp files only.
#pragma once

#include <string>
#include <utility>

#include "data/SQLDataSet.h"
#include "data/ValueForms.h"
#include "data/uClassFireBird.h"
#include "port/Exception.h"

namespace data {

// The request carried no order key object; the operation reports this and
// never touches the key.
class EChaveNaoInformada : public port::Exception {
 public:
  EChaveNaoInformada() : port::Exception("Chave do pedido n\xE3o informada") {}
  [[nodiscard]] const char* FClassName() const noexcept override { return "EChaveNaoInformada"; }
};

// Runs pLibera when the scope ends, normally or by an exception. The data
// operations release their query objects with it, so that the release (and
// its trace line) comes before the exception entry of the handler that
// encloses the scope. pLibera must not throw: the PDestroy helpers never do.
template <class TLibera>
class TAoSair {
 public:
  explicit TAoSair(TLibera pLibera) : vLibera(std::move(pLibera)) {}
  ~TAoSair() { vLibera(); }
  TAoSair(const TAoSair&) = delete;
  TAoSair& operator=(const TAoSair&) = delete;

 private:
  TLibera vLibera;
};

// The key, or EChaveNaoInformada when the request had none.
[[nodiscard]] inline const TChavePedido& FChave(const TChavePedido* pChavePedido) {
  if (pChavePedido == nullptr) throw EChaveNaoInformada();
  return *pChavePedido;
}

// An amount of the documents: "#0.000", its decimal point made a comma.
[[nodiscard]] inline std::string FValor(TFireBird& pModulo, const TField& pField) {
  return pModulo.FTrocaPontoPorVirgula(FFormatAmount(pField.AsFloat()));
}

}  // namespace data
