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
  // Opens the process's trace log (the slot the process object installed)
  // and creates a further TFireBird each call, reading its configuration
  // through pEnv (which must outlive the module); start-up calls it once.
  [[nodiscard]] std::unique_ptr<TDMBancoDeDados> FRetornaBancoDeDados(port::IEnv& pEnv);
};

// The design's process-wide accessors: set by the process object (app/) at
// start-up, cleared by it after shutdown, by nothing else.
extern TControle* vControle;
extern TDMBancoDeDados* vFireBird;

}  // namespace data
