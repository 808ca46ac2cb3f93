// The controller: opens the process's trace log and creates the one database
// module. Start-up keeps the controller in vControle (deliberately never
// freed) and the module it returns in vFireBird; the module itself is owned
// by the application object (app/), vFireBird only borrows it.
#pragma once

#include <memory>

#include "data/uDMBancoDeDados.h"
#include "port/Env.h"

namespace data {

class TControle {
 public:
  static constexpr const char* FClassName() { return "TControle"; }
  // Creates a further TFireBird each call; start-up calls it once.
  [[nodiscard]] std::unique_ptr<TDMBancoDeDados> FRetornaBancoDeDados();
  // The same, with the module reading its configuration through pEnv
  // (which must outlive the module).
  [[nodiscard]] std::unique_ptr<TDMBancoDeDados> FRetornaBancoDeDados(port::IEnv& pEnv);
};

// Process-wide, set once at start-up and never changed.
extern TControle* vControle;
extern TDMBancoDeDados* vFireBird;

}  // namespace data
