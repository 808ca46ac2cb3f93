// What the registries hold after start-up's registrations, as the WSDL
// generator and the service pages read it, and one more interface
// registered from its own few lines.
#include <gtest/gtest.h>

#include <memory>

#include "support/ServiceRegistries.h"

#include <string>

#include "soap/InvokeRegistry.h"
#include "soap/SoapHttpHandler.h"
#include "soap/VelmoraIntf.h"
#include "soap/WSDLPublishIntf.h"

namespace {

class IOrphan : public soap::IInvokable {
 public:
  virtual std::string Ping() = 0;
};

class IEcho : public soap::IInvokable {
 public:
  virtual std::string Echo(const std::string& pText) = 0;
};
class TEcho : public IEcho {
 public:
  std::string Echo(const std::string& pText) override { return pText + pText; }
};

class InvokeRegistry : public ::testing::Test {
 protected:
  static void TearDownTestSuite() { sRegistries.reset(); }
  static inline std::unique_ptr<testsupport::TServiceRegistries> sRegistries;
  static void SetUpTestSuite() {
    sRegistries = std::make_unique<testsupport::TServiceRegistries>();
    soap::PRegisterVelmoraIntf();  // a second registration changes nothing
    soap::TInterfaceBuilder<IOrphan>("IOrphan", "OrphanIntf")
        .FMethod("Ping", {}, soap::cTypeString, [](IOrphan& i, const soap::TSoapArgs&) {
          return soap::TSoapValue::FString(i.Ping());
        })
        .PRegister();
    soap::TInterfaceBuilder<IEcho>("IEcho", "EchoIntf")
        .FMethod("Echo", {{"pText", soap::cTypeString, soap::TParamFlag::In}}, soap::cTypeString,
                 [](IEcho& i, const soap::TSoapArgs& a) { return soap::TSoapValue::FString(i.Echo(a.at(0).vText)); })
        .PRegister();
    soap::PRegisterInvokableClass<TEcho>("IEcho", "TEcho");
  }
};

TEST_F(InvokeRegistry, HoldsTheInterfacesInRegistrationOrder) {
  const auto vEntries = soap::FInvRegistry().FInterfaces();
  ASSERT_EQ(vEntries.size(), 4u);
  const soap::TIntfEntry& vPublish = *vEntries[0];
  EXPECT_EQ(vPublish.vName, "IWSDLPublish");
  EXPECT_EQ(vPublish.vNamespace, "urn:VelmoraTypes");
  EXPECT_EQ(vPublish.vDocumentation, "Lists all the PortTypes published by this Service");
  EXPECT_EQ(vPublish.vDefaultSoapAction, "urn:VelmoraTypes-IWSDLPublish");
  EXPECT_EQ(vPublish.vImplClass, "TWSDLPublish");
  ASSERT_EQ(vPublish.vMethods.size(), 4u);
  EXPECT_EQ(vPublish.vMethods[1].vName, "GetWSDLForPortType");
  EXPECT_EQ(vPublish.vMethods[1].vParams.at(0).vName, "PortType");
  EXPECT_EQ(vPublish.vMethods[1].vParams.at(0).vTypeName, "WideString");
  EXPECT_EQ(vPublish.vMethods[0].vResultType, "TWideStringDynArray");
  EXPECT_EQ(vPublish.FSoapAction(vPublish.vMethods[3]), "urn:VelmoraTypes-IWSDLPublish");

  const soap::TIntfEntry& vVelmora = *vEntries[1];
  EXPECT_EQ(vVelmora.vName, "IVelmora");
  EXPECT_EQ(vVelmora.vUnitName, "VelmoraIntf");
  EXPECT_EQ(vVelmora.vNamespace, "urn:VelmoraIntf-IVelmora");
  EXPECT_EQ(vVelmora.vDocumentation, "");
  EXPECT_FALSE(vVelmora.vDefaultSoapAction.has_value());
  EXPECT_EQ(vVelmora.vImplClass, "TVelmora");
  const char* vNames[] = {"FVerificaAtividade", "FRetornaPedido", "FRetornaPedidoItem",
                          "FAtualizaStatusPedido", "FRetornaColConvenios", "FRetornaColFinancimentos"};
  const char* vResults[] = {"Boolean", "string", "string", "Boolean", "string", "string"};
  ASSERT_EQ(vVelmora.vMethods.size(), 6u);
  for (std::size_t i = 0; i < 6; ++i) {
    const soap::TMethodInfo& m = vVelmora.vMethods[i];
    EXPECT_EQ(m.vName, vNames[i]);
    EXPECT_EQ(m.vResultType, vResults[i]);
    EXPECT_EQ(vVelmora.FSoapAction(m), std::string("urn:VelmoraIntf-IVelmora#") + vNames[i]);
    ASSERT_EQ(m.vParams.size(), i == 0 ? 0u : 1u);
    if (i > 0) {
      EXPECT_EQ(m.vParams[0].vName, "pChavePedido");
      EXPECT_EQ(m.vParams[0].vTypeName, "TChavePedido");
      EXPECT_EQ(m.vParams[0].vFlag, soap::TParamFlag::In);
    }
  }
}

TEST_F(InvokeRegistry, HoldsTheWireTypes) {
  auto& vTypes = soap::FRemClassRegistry();
  struct TCase {
    const char* vType;
    const char* vXmlName;
    const char* vNamespace;
    soap::TTypeKind vKind;
  } vCases[] = {
      {"string", "string", "http://www.w3.org/2001/XMLSchema", soap::TTypeKind::Scalar},
      {"WideString", "string", "http://www.w3.org/2001/XMLSchema", soap::TTypeKind::Scalar},
      {"Boolean", "boolean", "http://www.w3.org/2001/XMLSchema", soap::TTypeKind::Scalar},
      {"TWideStringDynArray", "Array", "http://schemas.xmlsoap.org/soap/encoding/", soap::TTypeKind::Array},
      {"TChavePedido", "TChavePedido", "urn:uClassChavePedido", soap::TTypeKind::Object},
  };
  for (const TCase& c : vCases) {
    const soap::TTypeInfo* t = vTypes.FFind(c.vType);
    ASSERT_NE(t, nullptr) << c.vType;
    EXPECT_EQ(t->vXmlName, c.vXmlName);
    EXPECT_EQ(t->vNamespace, c.vNamespace);
    EXPECT_EQ(t->vKind, c.vKind);
  }
  const soap::TTypeInfo& vKey = *vTypes.FFind("TChavePedido");
  ASSERT_EQ(vKey.vProperties.size(), 3u);
  EXPECT_EQ(vKey.vProperties[0].vName, "CodEmpresa");
  EXPECT_EQ(vKey.vProperties[1].vName, "CodPedido");
  EXPECT_EQ(vKey.vProperties[2].vName, "TipoPedido");
  for (const auto& p : vKey.vProperties) EXPECT_EQ(p.vTypeName, "string");
  EXPECT_EQ(vTypes.FFind("TWideStringDynArray")->vElementType, "WideString");
  EXPECT_EQ(vTypes.FTypes().size(), 5u);  // the second registration replaced, not added
  EXPECT_EQ(vTypes.FFindXml("urn:uClassChavePedido", "TChavePedido"), &vKey);
}

TEST_F(InvokeRegistry, AnInterfaceWithoutClassIsSelectedButNotInvoked) {
  const auto a = soap::FHandleSoapRequest("/soap/iorphan", "text/xml", "<x/>", "");
  EXPECT_EQ(a.vStatusCode, 500);
  EXPECT_NE(a.vBody.find("<faultstring>No invokable class registered that implements interface OrphanIntf.IOrphan "
                         "of (soap action/path) /soap/iorphan</faultstring>"),
            std::string::npos)
      << a.vBody;
  const auto b = soap::FHandleSoapRequest("/soap", "text/xml", "<x/>", "\"urn:OrphanIntf-IOrphan#Ping\"");
  EXPECT_NE(b.vBody.find("(soap action/path) \"urn:OrphanIntf-IOrphan#Ping\"</faultstring>"), std::string::npos)
      << b.vBody;
}

TEST_F(InvokeRegistry, OneMoreInterfaceIsServedFromItsOwnRegistration) {
  const auto a = soap::FHandleSoapRequest(
      "/soap", "", "<e:Envelope xmlns:e=\"http://schemas.xmlsoap.org/soap/envelope/\"><e:Body><Echo><pText>ab</pText>"
                   "</Echo></e:Body></e:Envelope>",
      "urn:EchoIntf-IEcho#Echo");
  EXPECT_EQ(a.vStatusCode, 200);
  EXPECT_NE(a.vBody.find("<NS1:EchoResponse xmlns:NS1=\"urn:EchoIntf-IEcho\"><return xsi:type=\"xsd:string\">abab"
                         "</return></NS1:EchoResponse>"),
            std::string::npos)
      << a.vBody;
}

}  // namespace
