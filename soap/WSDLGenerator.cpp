#include "soap/WSDLGenerator.h"

#include <algorithm>

#include "port/Exception.h"
#include "soap/CodePage.h"
#include "soap/XmlTextWriter.h"

namespace soap {

namespace {

bool FIsXsdNs(const std::string& pNs) { return pNs == cXsdNs2001 || pNs == cXsdNs1999 || pNs == cXsdNs2000; }

// A type goes into the types section when a schema of ours has to define
// it: objects, arrays and scalars of our own, never the XML Schema ones.
bool FDescribed(const TTypeInfo& pType) {
  if (FIsXsdNs(FXmlTypeNameOf(pType).vNamespace)) return false;
  return pType.vKind == TTypeKind::Object || pType.vKind == TTypeKind::Array || !FIsXsdNs(pType.vNamespace);
}

// One generation: the complex types met, the prefixes handed out, and the
// qualified names built with them.
class TDescriber {
 public:
  TDescriber(std::string pTargetNs, std::string pUnitName)
      : vTargetNs(std::move(pTargetNs)), vUnitName(std::move(pUnitName)) {}

  // The registry entry of a type, registering an unknown one as an object
  // of the interface's unit.
  const TTypeInfo& FType(const std::string& pTypeName) {
    return FRemClassRegistry().FFindOrRegister(pTypeName, vUnitName);
  }

  std::string FPrefixOf(const std::string& pNs) {
    if (pNs == cXsdNs2001 || FIsXsdNs(pNs)) return "xs";
    if (pNs == cSoapEncodingNs) return "soapenc";
    if (!vTargetNs.empty() && pNs == vTargetNs) return "tns";
    for (const auto& [vNs, vPrefix] : vPrefixes) {
      if (vNs == pNs) return vPrefix;
    }
    std::string vPrefix;
    do {
      vPrefix = "ns" + std::to_string(++vCounter);
    } while (FPrefixInUse(vPrefix));
    vPrefixes.emplace_back(pNs, vPrefix);
    return vPrefix;
  }

  std::string FTypeRef(const std::string& pTypeName) {
    const TTypeInfo& vType = FType(pTypeName);
    const TXmlTypeName vName = FXmlTypeNameOf(vType);
    if (vName.vXmlName.empty()) return pTypeName;
    return FPrefixOf(vName.vNamespace) + ":" + vName.vXmlName;
  }

  // A reference into the document's own target namespace.
  [[nodiscard]] std::string FTns(const std::string& pName) const {
    return vTargetNs.empty() ? pName : "tns:" + pName;
  }

  // Adds pTypeName to the complex types when it is one, then (breadth
  // first, so the order is the order first met) the types it brings along.
  void PCollect(const std::string& pTypeName) {
    const std::size_t vStart = vComplex.size();
    PAddIfDescribed(FType(pTypeName));
    for (std::size_t i = vStart; i < vComplex.size(); ++i) {
      const TTypeInfo& vType = *vComplex[i];
      if (vType.vKind == TTypeKind::Array && !vType.vElementType.empty()) PAddIfDescribed(FType(vType.vElementType));
      if (vType.vKind != TTypeKind::Object) continue;
      for (const TPropertyInfo& vProperty : vType.vProperties) PAddIfDescribed(FType(vProperty.vTypeName));
      for (const TTypeInfo* vOther : FRemClassRegistry().FTypes()) {
        if (vOther != &vType && vOther->vKind == TTypeKind::Object &&
            FRemClassRegistry().FInheritsFrom(vOther->vTypeName, vType.vTypeName)) {
          PAddIfDescribed(*vOther);
        }
      }
    }
  }

  [[nodiscard]] const std::vector<const TTypeInfo*>& FComplex() const noexcept { return vComplex; }
  [[nodiscard]] const std::vector<std::pair<std::string, std::string>>& FPrefixes() const noexcept {
    return vPrefixes;
  }

  // One xs:schema per namespace of the complex types, in the order first met.
  void PWriteSchemas(TXmlNode& pParent) {
    std::vector<std::string> vNamespaces;
    for (const TTypeInfo* vType : vComplex) {
      const std::string vNs = FXmlTypeNameOf(*vType).vNamespace;
      if (std::find(vNamespaces.begin(), vNamespaces.end(), vNs) == vNamespaces.end()) vNamespaces.push_back(vNs);
    }
    for (const std::string& vNs : vNamespaces) PWriteSchema(pParent.FAdd("xs:schema"), vNs);
  }

  void PWriteSchema(TXmlNode& pSchema, const std::string& pNs) {
    pSchema.FAttr("targetNamespace", pNs).FAttr("xmlns", pNs);
    for (const TTypeInfo* vType : vComplex) {
      if (FXmlTypeNameOf(*vType).vNamespace == pNs) PWriteType(pSchema, *vType);
    }
  }

 private:
  void PAddIfDescribed(const TTypeInfo& pType) {
    if (!FDescribed(pType)) return;
    if (std::find(vComplex.begin(), vComplex.end(), &pType) != vComplex.end()) return;
    vComplex.push_back(&pType);
    (void)FPrefixOf(FXmlTypeNameOf(pType).vNamespace);
  }

  [[nodiscard]] bool FPrefixInUse(const std::string& pPrefix) const {
    static const char* const cFixed[] = {"xs", "tns", "soap", "soapenc", "mime", "n1"};
    for (const char* vFixed : cFixed) {
      if (pPrefix == vFixed) return true;
    }
    for (const auto& [vNs, vPrefix] : vPrefixes) {
      if (vPrefix == pPrefix) return true;
    }
    return false;
  }

  void PWriteType(TXmlNode& pSchema, const TTypeInfo& pType) {
    TXmlNode& vComplexType = pSchema.FAdd("xs:complexType").FAttr("name", FXmlTypeNameOf(pType).vXmlName);
    if (pType.vKind == TTypeKind::Array) {
      const int vDimensions = std::max(pType.vDimensions, 1);
      const std::string vElement =
          pType.vElementType.empty() ? std::string("xs:anyType") : FTypeRef(pType.vElementType);
      vComplexType.FAdd("xs:complexContent")
          .FAdd("xs:restriction")
          .FAttr("base", "soapenc:Array")
          .FAdd("xs:attribute")
          .FAttr("ref", "soapenc:arrayType")
          .FAttr("n1:arrayType", vElement + "[" + std::string(static_cast<std::size_t>(vDimensions - 1), ',') + "]")
          .FAttr("xmlns:n1", cWsdlNs);
      return;
    }
    TXmlNode& vSequence = vComplexType.FAdd("xs:sequence");
    for (const TPropertyInfo& vProperty : pType.vProperties) {
      vSequence.FAdd("xs:element").FAttr("name", vProperty.vName).FAttr("type", FTypeRef(vProperty.vTypeName));
    }
  }

  std::string vTargetNs;
  std::string vUnitName;
  int vCounter = 0;
  std::vector<std::pair<std::string, std::string>> vPrefixes;  // namespace, generated prefix
  std::vector<const TTypeInfo*> vComplex;
};

void PAddSoapBody(TXmlNode& pParent, const TIntfEntry& pEntry) {
  pParent.FAdd("soap:body")
      .FAttr("use", "encoded")
      .FAttr("encodingStyle", cSoapEncodingNs)
      .FAttr("namespace", pEntry.vNamespace);
}

}  // namespace

TXmlTypeName FXmlTypeNameOf(const TTypeInfo& pType) {
  if (pType.vKind == TTypeKind::Array && pType.vNamespace == cSoapEncodingNs) return {pType.vTypeName, cTypesNs};
  return {pType.vXmlName, pType.vNamespace};
}

std::string FGenerateWSDL(const TIntfEntry& pEntry, const std::string& pTargetNamespace,
                          const std::vector<TWSDLPort>& pPorts) {
  const std::string vTargetNs = FAnsiToUtf8(pTargetNamespace);
  TDescriber vDescriber(vTargetNs, pEntry.vUnitName);

  TXmlNode vRoot("definitions");
  vRoot.FAttr("xmlns", cWsdlNs).FAttr("xmlns:xs", cXsdNs2001).FAttr("name", pEntry.vName + "service");
  if (!vTargetNs.empty()) vRoot.FAttr("targetNamespace", vTargetNs).FAttr("xmlns:tns", vTargetNs);
  vRoot.FAttr("xmlns:soap", cWsdlSoapNs).FAttr("xmlns:soapenc", cSoapEncodingNs).FAttr("xmlns:mime", cWsdlMimeNs);

  for (const TMethodInfo& vMethod : pEntry.vMethods) {
    for (const TParamInfo& vParam : vMethod.vParams) vDescriber.PCollect(vParam.vTypeName);
    if (!vMethod.vResultType.empty()) vDescriber.PCollect(vMethod.vResultType);
  }
  if (!vDescriber.FComplex().empty()) vDescriber.PWriteSchemas(vRoot.FAdd("types"));

  // Messages: the operation number is part of each name.
  std::vector<std::pair<std::string, std::string>> vMessageNames;
  for (std::size_t i = 0; i < pEntry.vMethods.size(); ++i) {
    const TMethodInfo& vMethod = pEntry.vMethods[i];
    const std::string vRequest = vMethod.vExtName + std::to_string(i) + "Request";
    const std::string vResponse = vMethod.vExtName + std::to_string(i) + "Response";
    vMessageNames.emplace_back(vRequest, vResponse);
    TXmlNode& vIn = vRoot.FAdd("message").FAttr("name", vRequest);
    for (const TParamInfo& vParam : vMethod.vParams) {
      if (vParam.vFlag == TParamFlag::Out) continue;
      vIn.FAdd("part").FAttr("name", vParam.vName).FAttr("type", vDescriber.FTypeRef(vParam.vTypeName));
    }
    TXmlNode& vOut = vRoot.FAdd("message").FAttr("name", vResponse);
    for (const TParamInfo& vParam : vMethod.vParams) {
      if (vParam.vFlag == TParamFlag::In) continue;
      vOut.FAdd("part").FAttr("name", vParam.vName).FAttr("type", vDescriber.FTypeRef(vParam.vTypeName));
    }
    if (!vMethod.vResultType.empty()) {
      vOut.FAdd("part").FAttr("name", "return").FAttr("type", vDescriber.FTypeRef(vMethod.vResultType));
    }
  }

  TXmlNode& vPortType = vRoot.FAdd("portType").FAttr("name", pEntry.vName);
  for (std::size_t i = 0; i < pEntry.vMethods.size(); ++i) {
    TXmlNode& vOperation = vPortType.FAdd("operation").FAttr("name", pEntry.vMethods[i].vName);
    vOperation.FAdd("input").FAttr("message", vDescriber.FTns(vMessageNames[i].first));
    vOperation.FAdd("output").FAttr("message", vDescriber.FTns(vMessageNames[i].second));
  }

  const std::string vBindingName = pEntry.vName + "binding";
  TXmlNode& vBinding =
      vRoot.FAdd("binding").FAttr("name", vBindingName).FAttr("type", vDescriber.FTns(pEntry.vName));
  vBinding.FAdd("soap:binding").FAttr("style", "rpc").FAttr("transport", cSoapHttpTransport);
  for (const TMethodInfo& vMethod : pEntry.vMethods) {
    TXmlNode& vOperation = vBinding.FAdd("operation").FAttr("name", vMethod.vName);
    vOperation.FAdd("soap:operation").FAttr("soapAction", pEntry.FSoapAction(vMethod)).FAttr("style", "rpc");
    PAddSoapBody(vOperation.FAdd("input"), pEntry);
    PAddSoapBody(vOperation.FAdd("output"), pEntry);
  }

  TXmlNode& vService = vRoot.FAdd("service").FAttr("name", pEntry.vName + "service");
  for (const TWSDLPort& vPort : pPorts) {
    vService.FAdd("port")
        .FAttr("name", FAnsiToUtf8(vPort.vName))
        .FAttr("binding", vDescriber.FTns(vBindingName))
        .FAdd("soap:address")
        .FAttr("location", FAnsiToUtf8(vPort.vAddress));
  }

  // The generated prefixes close the document element's attributes; every
  // reference above has been made by now.
  for (const auto& [vNs, vPrefix] : vDescriber.FPrefixes()) vRoot.FAttr("xmlns:" + vPrefix, vNs);
  return FXmlDocumentText(vRoot);
}

std::string FWSDLForPortType(const std::string& pPortType, const std::string& pBaseUrl) {
  const TIntfEntry* vEntry = FInvRegistry().FFindNoCase(pPortType);
  if (vEntry == nullptr) throw port::Exception("Interface " + FUtf8ToAnsi(pPortType) + " not found");
  return FGenerateWSDL(*vEntry, cPlaceholderNs, {{vEntry->vName + "Port", pBaseUrl + "/soap/" + vEntry->vName}});
}

std::vector<std::string> FTypeSystems() {
  std::vector<std::string> vOut;
  for (const TTypeInfo* vType : FRemClassRegistry().FTypes()) {
    std::string vNs = FXmlTypeNameOf(*vType).vNamespace;
    if (std::find(vOut.begin(), vOut.end(), vNs) == vOut.end()) vOut.push_back(std::move(vNs));
  }
  return vOut;
}

std::string FGenerateXSD(const std::string& pTypeSystem) {
  const std::vector<std::string> vKnown = FTypeSystems();
  if (std::find(vKnown.begin(), vKnown.end(), pTypeSystem) == vKnown.end()) {
    throw port::Exception("No type is registered in the namespace " + FUtf8ToAnsi(pTypeSystem));
  }
  TDescriber vDescriber("", "");
  for (const TTypeInfo* vType : FRemClassRegistry().FTypes()) {
    if (FXmlTypeNameOf(*vType).vNamespace == pTypeSystem) vDescriber.PCollect(vType->vTypeName);
  }
  TXmlNode vSchema("xs:schema");
  vSchema.FAttr("xmlns:xs", cXsdNs2001).FAttr("xmlns:soapenc", cSoapEncodingNs);
  vDescriber.PWriteSchema(vSchema, pTypeSystem);
  // Every namespace the definitions refer to, their own included.
  for (const auto& [vNs, vPrefix] : vDescriber.FPrefixes()) vSchema.FAttr("xmlns:" + vPrefix, vNs);
  return FXmlDocumentText(vSchema);
}

}  // namespace soap
