// The service's start-up for the fuzz targets that run whole requests: the
// trace log in memory, both interfaces registered, the XML runtime up and a
// plain database module that is never opened.
#pragma once

#include "data/uClassControle.h"
#include "data/uDMBancoDeDados.h"
#include "port/MemEnv.h"
#include "soap/VelmoraIntf.h"
#include "soap/WSDLPublishIntf.h"
#include "soap/XmlRuntime.h"
#include "tracelog/LogNFe.h"

namespace fuzz {

inline void PStartServiceInMemory() {
  static port::TMemEnv vLogEnv;
  tracelog::PSetLogEnv(vLogEnv);
  soap::PRegisterWSDLPublish();
  soap::PRegisterVelmoraIntf();
  soap::PCoInitialize();
  static data::TDMBancoDeDados vModule;
  data::vFireBird = &vModule;
}

}  // namespace fuzz
