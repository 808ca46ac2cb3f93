// Test support: another transaction holding a lock on one order row of a
// demo database (an isql session that updates the row and neither commits
// nor ends until the object is destroyed).
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>
#include <chrono>
#include <thread>

#include "e2e/ProcessRunner.h"

namespace e2e {

// Another transaction holding a lock on one order row: an isql session
// that updates the row and neither commits nor ends until destroyed.
class TRowLock {
 public:
  TRowLock(const std::string& pDatabase, std::string_view pPedido) {
    const std::string vCommand = "FIREBIRD='" + FFirebirdRoot() +
                                 "' isql-fb -q -user SYSDBA -password masterkey '" + pDatabase + "' >/dev/null 2>&1";
    vIsql = popen(vCommand.c_str(), "w");
    if (vIsql == nullptr) throw std::runtime_error("cannot start isql-fb");
    std::fprintf(vIsql,
                 "SET AUTODDL OFF;\nUPDATE PEDIDOC SET FATURADO = FATURADO WHERE CODEMPRESA = '001' "
                 "AND TIPOPEDIDO = 'P' AND CODPEDIDO = '%.*s';\n",
                 static_cast<int>(pPedido.size()), pPedido.data());
    std::fflush(vIsql);
    // isql runs the update as soon as it has read the line.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  }
  ~TRowLock() {
    std::fputs("ROLLBACK;\nQUIT;\n", vIsql);
    pclose(vIsql);
  }
  TRowLock(const TRowLock&) = delete;
  TRowLock& operator=(const TRowLock&) = delete;

 private:
  FILE* vIsql = nullptr;
};

}  // namespace e2e
