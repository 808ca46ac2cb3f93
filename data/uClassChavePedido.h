// The order key handed to every data operation: company code, order code and
// order type as 8-bit strings (host code page), all empty when constructed.
// It carries no validation; zero-filling for the database is done by the
// data operations. Its wire registration lives in soap/.
#pragma once

#include <string>

namespace data {

class TChavePedido {
 public:
  TChavePedido() = default;
  virtual ~TChavePedido() = default;

  std::string CodEmpresa;
  std::string CodPedido;
  std::string TipoPedido;
};

}  // namespace data
