// The WSDL generator on its own: target namespace and ports as handed in,
// the types section for object, array and unregistered types with their
// generated prefixes, the layout, the schema of one type namespace, and
// the GetWSDLForPortType form.
#include <gtest/gtest.h>

#include <memory>

#include "support/ServiceRegistries.h"

#include "port/Exception.h"
#include "soap/VelmoraIntf.h"
#include "soap/WSDLGenerator.h"
#include "soap/WSDLPublishIntf.h"
#include "wsdl/XmlTree.h"

namespace {

using soap::FInvRegistry;

// A made-up interface whose types reach into three more namespaces: an
// object with an object property of another unit, a class deriving from
// it, an array of objects, and a parameter type nobody registered.
struct TPart {
  std::string Code;
};
struct TLine {
  std::string Part;
};
class ICatalog : public soap::IInvokable {};

void PRegisterCatalog() {
  soap::TClassBuilder<TPart>("TPart", "uPart").FProperty("Code", soap::cTypeString, &TPart::Code).PRegister();
  soap::TTypeInfo vLine;
  vLine.vTypeName = "TLine";
  vLine.vUnitName = "uLine";
  vLine.vKind = soap::TTypeKind::Object;
  vLine.vValueKind = soap::TValueKind::Object;
  vLine.vProperties.push_back({"Part", "TPart", nullptr});
  vLine.vProperties.push_back({"Quantity", soap::cTypeBoolean, nullptr});
  soap::FRemClassRegistry().PRegister(vLine);
  soap::TTypeInfo vSpecial = vLine;
  vSpecial.vTypeName = "TSpecialLine";
  vSpecial.vParentClass = "TLine";
  vSpecial.vProperties = {{"Note", soap::cTypeWideString, nullptr}};
  soap::FRemClassRegistry().PRegister(vSpecial);
  soap::TTypeInfo vLines;
  vLines.vTypeName = "TLineArray";
  vLines.vUnitName = "uLine";
  vLines.vKind = soap::TTypeKind::Array;
  vLines.vValueKind = soap::TValueKind::Other;
  vLines.vElementType = "TLine";
  vLines.vDimensions = 2;
  soap::FRemClassRegistry().PRegister(vLines);
  const auto vNone = [](ICatalog&, const soap::TSoapArgs&) { return soap::TSoapValue{}; };
  soap::TInterfaceBuilder<ICatalog>("ICatalog", "uCatalog")
      .FMethod("Lines", {{"pOwner", "TOwner", soap::TParamFlag::In}, {"pCount", soap::cTypeBoolean, soap::TParamFlag::Out}},
               "TLineArray", vNone)
      .FMethod("Touch", {{"pLine", "TLine", soap::TParamFlag::Var}}, "", vNone)
      .PRegister();
}

class WSDLGenerator : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    sRegistries = std::make_unique<testsupport::TServiceRegistries>();
    PRegisterCatalog();
  }
  static void TearDownTestSuite() { sRegistries.reset(); }
  static inline std::unique_ptr<testsupport::TServiceRegistries> sRegistries;
  static const soap::TIntfEntry& FEntry(const char* pName) { return *FInvRegistry().FFind(pName); }
};

// The part of a tree dump from the line that starts with pFrom (after its
// indentation) up to, not including, the next line at that same depth or
// shallower.
std::string FBranch(const std::string& pTree, const std::string& pFrom) {
  const std::size_t vAt = pTree.find(pFrom);
  if (vAt == std::string::npos) return "(no " + pFrom + ")";
  const std::size_t vLineStart = pTree.rfind('\n', vAt) + 1;
  const std::size_t vIndent = vAt - vLineStart;
  std::size_t vEnd = pTree.find('\n', vAt) + 1;
  while (vEnd < pTree.size()) {
    const std::size_t vNonBlank = pTree.find_first_not_of(' ', vEnd);
    if (vNonBlank - vEnd <= vIndent) break;
    vEnd = pTree.find('\n', vEnd) + 1;
  }
  return pTree.substr(vLineStart, vEnd - vLineStart);
}

TEST_F(WSDLGenerator, OwnTargetNamespaceAndTwoPorts) {
  const std::string vWsdl = soap::FGenerateWSDL(FEntry("IVelmora"), "urn:loja-tns",
                                                {{"Primary", "http://a.example/velmora.cgi/soap/IVelmora"},
                                                 {"Backup", "http://b.example:8081/velmora.cgi/soap/IVelmora"}});
  std::string vWhy;
  EXPECT_TRUE(wsdltest::FNamespaceWellFormed(vWsdl, vWhy)) << vWhy;
  const std::string vTree = wsdltest::FXmlTree(vWsdl);
  EXPECT_EQ(vTree.substr(0, vTree.find('\n')),
            "definitions xmlns=\"http://schemas.xmlsoap.org/wsdl/\" xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
            "name=\"IVelmoraservice\" targetNamespace=\"urn:loja-tns\" xmlns:tns=\"urn:loja-tns\" "
            "xmlns:soap=\"http://schemas.xmlsoap.org/wsdl/soap/\" "
            "xmlns:soapenc=\"http://schemas.xmlsoap.org/soap/encoding/\" "
            "xmlns:mime=\"http://schemas.xmlsoap.org/wsdl/mime/\" xmlns:ns1=\"urn:uClassChavePedido\"");
  EXPECT_EQ(FBranch(vTree, "service "),
            "  service name=\"IVelmoraservice\"\n"
            "    port name=\"Primary\" binding=\"tns:IVelmorabinding\"\n"
            "      soap:address location=\"http://a.example/velmora.cgi/soap/IVelmora\"\n"
            "    port name=\"Backup\" binding=\"tns:IVelmorabinding\"\n"
            "      soap:address location=\"http://b.example:8081/velmora.cgi/soap/IVelmora\"\n");
  EXPECT_EQ(FBranch(vTree, "operation name=\"FRetornaPedido\""),
            "    operation name=\"FRetornaPedido\"\n"
            "      input message=\"tns:FRetornaPedido1Request\"\n"
            "      output message=\"tns:FRetornaPedido1Response\"\n");
}

TEST_F(WSDLGenerator, WithoutTargetNamespaceNothingRefersToTns) {
  const std::string vWsdl = soap::FGenerateWSDL(FEntry("IVelmora"), "", {});
  std::string vWhy;
  EXPECT_TRUE(wsdltest::FNamespaceWellFormed(vWsdl, vWhy)) << vWhy;
  EXPECT_EQ(vWsdl.find("targetNamespace=\"\""), std::string::npos);
  EXPECT_EQ(vWsdl.find("tns"), std::string::npos) << vWsdl;
  const std::string vTree = wsdltest::FXmlTree(vWsdl);
  EXPECT_EQ(FBranch(vTree, "service "), "  service name=\"IVelmoraservice\"\n");
  EXPECT_NE(vTree.find("  binding name=\"IVelmorabinding\" type=\"IVelmora\"\n"), std::string::npos) << vTree;
}

TEST_F(WSDLGenerator, TypesOfOtherUnitsGetNumberedPrefixesInTheOrderMet) {
  const std::string vWsdl = soap::FGenerateWSDL(FEntry("ICatalog"), "http://tempuri.org/", {});
  std::string vWhy;
  EXPECT_TRUE(wsdltest::FNamespaceWellFormed(vWsdl, vWhy)) << vWhy;
  const std::string vTree = wsdltest::FXmlTree(vWsdl);
  // TOwner was never registered: it is registered on the spot in the
  // interface's unit and described as an empty object.
  EXPECT_NE(vTree.find(" xmlns:mime=\"http://schemas.xmlsoap.org/wsdl/mime/\" xmlns:ns1=\"urn:uCatalog\" "
                       "xmlns:ns2=\"urn:uLine\" xmlns:ns3=\"urn:uPart\"\n"),
            std::string::npos)
      << vTree;
  ASSERT_NE(soap::FRemClassRegistry().FFind("TOwner"), nullptr);
  EXPECT_EQ(FBranch(vTree, "types"),
            "  types\n"
            "    xs:schema targetNamespace=\"urn:uCatalog\" xmlns=\"urn:uCatalog\"\n"
            "      xs:complexType name=\"TOwner\"\n"
            "        xs:sequence\n"
            "    xs:schema targetNamespace=\"urn:uLine\" xmlns=\"urn:uLine\"\n"
            "      xs:complexType name=\"TLineArray\"\n"
            "        xs:complexContent\n"
            "          xs:restriction base=\"soapenc:Array\"\n"
            "            xs:attribute ref=\"soapenc:arrayType\" n1:arrayType=\"ns2:TLine[,]\" "
            "xmlns:n1=\"http://schemas.xmlsoap.org/wsdl/\"\n"
            "      xs:complexType name=\"TLine\"\n"
            "        xs:sequence\n"
            "          xs:element name=\"Part\" type=\"ns3:TPart\"\n"
            "          xs:element name=\"Quantity\" type=\"xs:boolean\"\n"
            "      xs:complexType name=\"TSpecialLine\"\n"
            "        xs:sequence\n"
            "          xs:element name=\"Note\" type=\"xs:string\"\n"
            "    xs:schema targetNamespace=\"urn:uPart\" xmlns=\"urn:uPart\"\n"
            "      xs:complexType name=\"TPart\"\n"
            "        xs:sequence\n"
            "          xs:element name=\"Code\" type=\"xs:string\"\n");
  // Out parameters only answer, var parameters go both ways.
  const std::string vMessages = vTree.substr(vTree.find("  message "), vTree.find("  portType") - vTree.find("  message "));
  EXPECT_EQ(vMessages,
            "  message name=\"Lines0Request\"\n"
            "    part name=\"pOwner\" type=\"ns1:TOwner\"\n"
            "  message name=\"Lines0Response\"\n"
            "    part name=\"pCount\" type=\"xs:boolean\"\n"
            "    part name=\"return\" type=\"ns2:TLineArray\"\n"
            "  message name=\"Touch1Request\"\n"
            "    part name=\"pLine\" type=\"ns2:TLine\"\n"
            "  message name=\"Touch1Response\"\n"
            "    part name=\"pLine\" type=\"ns2:TLine\"\n");
}

TEST_F(WSDLGenerator, IndentsTwoBlanksPerLevelAndEscapesValues) {
  const std::string vWsdl = soap::FGenerateWSDL(FEntry("IVelmora"), "http://tempuri.org/",
                                                {{"P\"1", "http://h/x.cgi?a=1&b=<2>/soap/IVelmora \xE7"}});
  EXPECT_EQ(vWsdl.rfind("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<definitions ", 0), 0u);
  // Depth from the tree equals indentation / 2 on every line.
  int vDepth = 0;
  std::size_t vPos = vWsdl.find('\n') + 1;
  while (vPos < vWsdl.size()) {
    std::size_t vEnd = vWsdl.find('\n', vPos);
    if (vEnd == std::string::npos) vEnd = vWsdl.size();
    const std::string vLine = vWsdl.substr(vPos, vEnd - vPos);
    const std::size_t vBlanks = vLine.find_first_not_of(' ');
    const bool vClosing = vLine.compare(vBlanks, 2, "</") == 0;
    if (vClosing) --vDepth;
    EXPECT_EQ(vBlanks, static_cast<std::size_t>(vDepth) * 2) << vLine;
    if (!vClosing && vLine.find("/>") == std::string::npos && vLine.find("</") == std::string::npos) ++vDepth;
    vPos = vEnd + 1;
  }
  EXPECT_EQ(vDepth, 0);
  EXPECT_NE(vWsdl.find("<port name=\"P&quot;1\" binding=\"tns:IVelmorabinding\">"), std::string::npos);
  // 8-bit host text in, UTF-8 out.
  EXPECT_NE(vWsdl.find("location=\"http://h/x.cgi?a=1&amp;b=&lt;2&gt;/soap/IVelmora \xC3\xA7\""), std::string::npos)
      << vWsdl;
}

TEST_F(WSDLGenerator, OverSoapThePlaceholderNamespaceAndTheServiceAddress) {
  const std::string vTree = wsdltest::FXmlTree(soap::FWSDLForPortType("ivelmora", "http://loja:8080/velmora.cgi"));
  EXPECT_NE(vTree.find(" targetNamespace=\"http://tempuri.org/\" xmlns:tns=\"http://tempuri.org/\" "),
            std::string::npos);
  EXPECT_EQ(FBranch(vTree, "service "),
            "  service name=\"IVelmoraservice\"\n"
            "    port name=\"IVelmoraPort\" binding=\"tns:IVelmorabinding\"\n"
            "      soap:address location=\"http://loja:8080/velmora.cgi/soap/IVelmora\"\n");
  EXPECT_THROW((void)soap::FWSDLForPortType("INothing", ""), port::Exception);
}

TEST_F(WSDLGenerator, SchemaOfOneTypeSystem) {
  const std::vector<std::string> vSystems = soap::FTypeSystems();
  ASSERT_GE(vSystems.size(), 3u);
  EXPECT_EQ(vSystems[0], "http://www.w3.org/2001/XMLSchema");
  EXPECT_EQ(vSystems[1], "urn:VelmoraTypes");
  EXPECT_NE(std::find(vSystems.begin(), vSystems.end(), "urn:uClassChavePedido"), vSystems.end());

  const std::string vXsd = soap::FGenerateXSD("urn:uClassChavePedido");
  std::string vWhy;
  EXPECT_TRUE(wsdltest::FNamespaceWellFormed(vXsd, vWhy)) << vWhy;
  EXPECT_EQ(wsdltest::FXmlTree(vXsd),
            "xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
            "xmlns:soapenc=\"http://schemas.xmlsoap.org/soap/encoding/\" targetNamespace=\"urn:uClassChavePedido\" "
            "xmlns=\"urn:uClassChavePedido\" xmlns:ns1=\"urn:uClassChavePedido\"\n"
            "  xs:complexType name=\"TChavePedido\"\n"
            "    xs:sequence\n"
            "      xs:element name=\"CodEmpresa\" type=\"xs:string\"\n"
            "      xs:element name=\"CodPedido\" type=\"xs:string\"\n"
            "      xs:element name=\"TipoPedido\" type=\"xs:string\"\n");
  EXPECT_NE(soap::FGenerateXSD("urn:VelmoraTypes").find("<xs:complexType name=\"TWideStringDynArray\">"),
            std::string::npos);
  // Built-in types only: a schema without definitions.
  EXPECT_EQ(wsdltest::FXmlTree(soap::FGenerateXSD("http://www.w3.org/2001/XMLSchema")).find("\n  "),
            std::string::npos);
  EXPECT_THROW((void)soap::FGenerateXSD("urn:nobody"), port::Exception);
}

}  // namespace
