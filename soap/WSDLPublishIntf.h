// The service's self-description interface IWSDLPublish and its
// implementation TWSDLPublish, reachable through SOAP like IVelmora.
//
// All four operations answer from the registries: the interface names, the
// WSDL of one interface (soap/WSDLGenerator.h), the type namespaces and the
// schema of one of them. A failure (an unknown name) is raised and answered
// by the invoker as a fault with its message.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "soap/InvokeRegistry.h"

namespace soap {

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
  // The distinct namespaces the registered types are described under.
  std::vector<std::string> GetTypeSystemsList() override;
  std::string GetXSDForTypeSystem(const std::string& TypeSystem) override;
};

// Replace the generator behind GetWSDLForPortType / GetXSDForTypeSystem
// (an empty handler restores it). Text in and out is UTF-8 (wide strings);
// a handler may throw, the caller gets a fault with its message.
using TDocumentHandler = std::function<std::string(const std::string& pName)>;
void PSetWSDLForPortTypeHandler(TDocumentHandler pHandler);
void PSetXSDForTypeSystemHandler(TDocumentHandler pHandler);

// Registers IWSDLPublish (namespace "urn:VelmoraTypes", default SOAP action
// "urn:VelmoraTypes-IWSDLPublish") with TWSDLPublish as its class. Call it
// once at start-up, before PRegisterVelmoraIntf.
void PRegisterWSDLPublish();

}  // namespace soap
