// The configuration reader: the input is the whole caminhoBDQuindar.ini of
// an in-memory installation. The database module is built over it (which
// reads the file and prepares the connection without opening it).
//
// Rule checked: no value read is longer than the 2047 characters a value
// is read up to.
#include <string>

#include "data/uClassFireBird.h"
#include "fuzz/FuzzSupport.h"
#include "port/MemEnv.h"
#include "tracelog/LogNFe.h"

// No log slot is installed: the module's trace lines go nowhere, so none
// piles up in memory run after run.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t pSize) {
  port::TMemEnv vEnv;
  vEnv.vExePath = "/opt/velmora/velmora.cgi";
  vEnv.PSetFile("/opt/velmora/caminhoBDQuindar.ini", std::string(reinterpret_cast<const char*>(pData), pSize));
  data::TFireBird vModule(vEnv);
  const data::TBancoDeDados vDados = vModule.FRetornaBancoDeDados();
  for (const std::string* vValue : {&vDados.Caminho, &vDados.Usuario, &vDados.Senha}) {
    if (vValue->size() > 2047) fuzz::PFail("a value is read up to 2047 characters", *vValue);
  }
  return 0;
}
