// The service's self-description interface IWSDLPublish and its
// implementation TWSDLPublish, reachable through SOAP like IVelmora.
//
// GetPortTypeList and GetTypeSystemsList answer from the registries. The two
// document operations call the generators installed with
// PSetWSDLForPortTypeHandler / PSetXSDForTypeSystemHandler (the WSDL unit
// installs them at start-up); until then they fail with a clear message,
// which the invoker answers as a fault.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "soap/InvokeRegistry.h"

namespace soap {

inline constexpr const char* cWSDLNotAvailable = "WSDL generation is not available yet";

class IWSDLPublish : public IInvokable {
 public:
  [[nodiscard]] virtual std::vector<std::string> GetPortTypeList() = 0;
  [[nodiscard]] virtual std::string GetWSDLForPortType(const std::string& PortType) = 0;
  [[nodiscard]] virtual std::vector<std::string> GetTypeSystemsList() = 0;
  [[nodiscard]] virtual std::string GetXSDForTypeSystem(const std::string& TypeSystem) = 0;
};

class TWSDLPublish : public IWSDLPublish {
 public:
  // Every registered interface name, in registration order.
  std::vector<std::string> GetPortTypeList() override;
  std::string GetWSDLForPortType(const std::string& PortType) override;
  // The distinct namespaces of the registered types.
  std::vector<std::string> GetTypeSystemsList() override;
  std::string GetXSDForTypeSystem(const std::string& TypeSystem) override;
};

// Text in and out is UTF-8 (wide strings); a handler may throw, the caller
// gets a fault with its message.
using TDocumentHandler = std::function<std::string(const std::string& pName)>;
void PSetWSDLForPortTypeHandler(TDocumentHandler pHandler);
void PSetXSDForTypeSystemHandler(TDocumentHandler pHandler);

// Registers IWSDLPublish (namespace "urn:VelmoraTypes", default SOAP action
// "urn:VelmoraTypes-IWSDLPublish") with TWSDLPublish as its class. Call it
// once at start-up, before PRegisterVelmoraIntf.
void PRegisterWSDLPublish();

}  // namespace soap
