#include "soap/WSDLPublishIntf.h"

#include "soap/WSDLGenerator.h"

namespace soap {

namespace {

TDocumentHandler& FWSDLHandler() {
  static TDocumentHandler vHandler;
  return vHandler;
}

TDocumentHandler& FXSDHandler() {
  static TDocumentHandler vHandler;
  return vHandler;
}


}  // namespace

std::vector<std::string> TWSDLPublish::GetPortTypeList() {
  std::vector<std::string> vOut;
  for (const TIntfEntry* vEntry : FInvRegistry().FInterfaces()) vOut.push_back(vEntry->vName);
  return vOut;
}

std::string TWSDLPublish::GetWSDLForPortType(const std::string& PortType) {
  if (const TDocumentHandler& vHandler = FWSDLHandler()) return vHandler(PortType);
  return FWSDLForPortType(PortType, FCallContext().vBaseUrl);
}

std::vector<std::string> TWSDLPublish::GetTypeSystemsList() { return FTypeSystems(); }

std::string TWSDLPublish::GetXSDForTypeSystem(const std::string& TypeSystem) {
  if (const TDocumentHandler& vHandler = FXSDHandler()) return vHandler(TypeSystem);
  return FGenerateXSD(TypeSystem);
}

void PSetWSDLForPortTypeHandler(TDocumentHandler pHandler) { FWSDLHandler() = std::move(pHandler); }
void PSetXSDForTypeSystemHandler(TDocumentHandler pHandler) { FXSDHandler() = std::move(pHandler); }

void PRegisterWSDLPublish() {
  const std::string vAction = std::string(cTypesNs) + "-IWSDLPublish";
  TInterfaceBuilder<IWSDLPublish>("IWSDLPublish", "WSDLPub")
      .FNamespace(cTypesNs)
      .FDocumentation("Lists all the PortTypes published by this Service")
      .FDefaultSoapAction(vAction)
      .FMethod("GetPortTypeList", {}, cTypeWideStringArray,
               [](IWSDLPublish& i, const TSoapArgs&) { return TSoapValue::FList(i.GetPortTypeList()); })
      .FMethod("GetWSDLForPortType", {{"PortType", cTypeWideString, TParamFlag::In}}, cTypeWideString,
               [](IWSDLPublish& i, const TSoapArgs& a) { return TSoapValue::FString(i.GetWSDLForPortType(a.at(0).vText)); })
      .FMethod("GetTypeSystemsList", {}, cTypeWideStringArray,
               [](IWSDLPublish& i, const TSoapArgs&) { return TSoapValue::FList(i.GetTypeSystemsList()); })
      .FMethod("GetXSDForTypeSystem", {{"TypeSystem", cTypeWideString, TParamFlag::In}}, cTypeWideString,
               [](IWSDLPublish& i, const TSoapArgs& a) {
                 return TSoapValue::FString(i.GetXSDForTypeSystem(a.at(0).vText));
               })
      .PRegister();
  PRegisterInvokableClass<TWSDLPublish>("IWSDLPublish", "TWSDLPublish");
}

}  // namespace soap
