// Test support: the registries of a service process, owned by the test.
// While one lives, the SOAP layer sees IWSDLPublish and IVelmora (and what
// the test registers on top); when it goes, they go with it.
#pragma once

#include "soap/InvokeRegistry.h"
#include "soap/VelmoraIntf.h"
#include "soap/WSDLPublishIntf.h"

namespace testsupport {

class TServiceRegistries {
 public:
  TServiceRegistries() {
    soap::PRegisterWSDLPublish();
    soap::PRegisterVelmoraIntf();
  }

 private:
  soap::TRegistries vRegistries;  // installed before the registrations above
};

}  // namespace testsupport
