// The WSDL 1.1 document of one registered interface, generated afresh from
// the two registries for every request (nothing is cached), and the XML
// Schema text of one type namespace.
//
// The document: "definitions" with its attributes in a fixed order, a
// "types" section describing every object and array type the operations
// use (and, for object types, the types of their properties and their
// registered descendants), two numbered messages per operation, the port
// type, an RPC/encoded SOAP binding with each operation's SOAP action, and
// the service with the ports handed in. Namespaces that need a prefix get
// ns1, ns2, ... in the order first met, per document.
//
// Texts handed in (target namespace, port names and addresses, the service
// base URL) are 8-bit host code page text; the documents returned are UTF-8.
#pragma once

#include <string>
#include <vector>

#include "soap/InvokeRegistry.h"

namespace soap {

inline constexpr const char* cWsdlNs = "http://schemas.xmlsoap.org/wsdl/";
inline constexpr const char* cWsdlSoapNs = "http://schemas.xmlsoap.org/wsdl/soap/";
inline constexpr const char* cWsdlMimeNs = "http://schemas.xmlsoap.org/wsdl/mime/";
inline constexpr const char* cSoapHttpTransport = "http://schemas.xmlsoap.org/soap/http";

struct TWSDLPort {
  std::string vName;
  std::string vAddress;
};

// The XML name and namespace a type is described and referenced under. The
// registry files the string list under the SOAP encoding's generic "Array",
// which is how its values are written on the wire; a schema cannot define
// that name again, so documents describe such an array under its own type
// name in the framework's types namespace (TWideStringDynArray in
// urn:VelmoraTypes).
struct TXmlTypeName {
  std::string vXmlName;
  std::string vNamespace;
};
[[nodiscard]] TXmlTypeName FXmlTypeNameOf(const TTypeInfo& pType);

// The WSDL text of pEntry. An empty pTargetNamespace leaves out
// targetNamespace and xmlns:tns (references are then unprefixed).
// Registers on the spot a parameter type that is not registered at all.
[[nodiscard]] std::string FGenerateWSDL(const TIntfEntry& pEntry, const std::string& pTargetNamespace,
                                        const std::vector<TWSDLPort>& pPorts);

// The WSDL of the interface named pPortType (any case; UTF-8 in and out)
// as the operation GetWSDLForPortType answers it: target namespace
// http://tempuri.org/ and the one default port <Name>Port at the base URL
// followed by "/soap/" and the name. pBaseUrl is the address of the
// request being served ("http://host[:port]/script"). Throws
// port::Exception when no interface has that name.
[[nodiscard]] std::string FWSDLForPortType(const std::string& pPortType, const std::string& pBaseUrl);

// The distinct namespaces the registered types are described under, in
// registration order.
[[nodiscard]] std::vector<std::string> FTypeSystems();

// An XML Schema document with the definitions of every registered type
// described under pTypeSystem (UTF-8 in and out); a namespace whose types
// are all built in (the XML Schema one) gives a schema without
// definitions. Throws port::Exception for a namespace no type is in.
[[nodiscard]] std::string FGenerateXSD(const std::string& pTypeSystem);

}  // namespace soap
