// Decoding of the order key and of string parameters from request envelopes:
// references, nulls, case rules, property order and duplicates, markup.
#include <gtest/gtest.h>

#include <memory>

#include "support/ServiceRegistries.h"

#include <string>

#include "data/uClassChavePedido.h"
#include "soap/CodePage.h"
#include "soap/OPToSoapDomConvert.h"
#include "soap/SoapException.h"
#include "soap/VelmoraIntf.h"
#include "soap/WSDLPublishIntf.h"

namespace {

class OPToSoapDomConvert : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sRegistries = std::make_unique<testsupport::TServiceRegistries>(); }
  static void TearDownTestSuite() { sRegistries.reset(); }
  static inline std::unique_ptr<testsupport::TServiceRegistries> sRegistries;
  static std::string FEnvelope(const std::string& pBody) {
    return "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:k=\"urn:uClassChavePedido\"><s:Body>" +
           pBody + "</s:Body></s:Envelope>";
  }
  static soap::TSoapRequest FRead(const char* pInterface, const std::string& pBody) {
    return soap::FReadSoapRequest(*soap::FInvRegistry().FFind(pInterface), FEnvelope(pBody));
  }
};

TEST_F(OPToSoapDomConvert, DecodesTheKey) {
  struct TCase {
    const char* vName;
    std::string vBody;      // inside the Body
    bool vHasObject;
    const char* vEmpresa;
    const char* vPedido;
    const char* vTipo;
  } vCases[] = {
      {"plain", "<FRetornaPedido><pChavePedido xsi:type=\"k:TChavePedido\"><CodEmpresa>01</CodEmpresa>"
                "<CodPedido>77</CodPedido><TipoPedido>P</TipoPedido></pChavePedido></FRetornaPedido>",
       true, "01", "77", "P"},
      {"href to a further Body child",
       "<FRetornaPedido><pChavePedido href=\"#k1\"/></FRetornaPedido>"
       "<k:TChavePedido id=\"k1\"><CodEmpresa>2</CodEmpresa><CodPedido>9</CodPedido></k:TChavePedido>",
       true, "2", "9", ""},
      {"href to an empty element", "<FRetornaPedido><pChavePedido href=\"#e\"/></FRetornaPedido><x id=\"e\"/>", true,
       "", "", ""},
      {"href naming nothing keeps the element",
       "<FRetornaPedido><pChavePedido href=\"#none\"><CodPedido>5</CodPedido></pChavePedido></FRetornaPedido>", true,
       "", "5", ""},
      {"references are followed one hop only",
       "<FRetornaPedido><pChavePedido href=\"#a\"/></FRetornaPedido><x id=\"a\" href=\"#a\"><CodPedido>3</CodPedido>"
       "</x>",
       true, "", "3", ""},
      {"property by reference",
       "<FRetornaPedido><pChavePedido><CodEmpresa href=\"#v\"/></pChavePedido></FRetornaPedido><v id=\"v\">08</v>",
       true, "08", "", ""},
      {"missing parameter", "<FRetornaPedido/>", false, "", "", ""},
      {"empty parameter", "<FRetornaPedido><pChavePedido/></FRetornaPedido>", false, "", "", ""},
      {"nil parameter",
       "<FRetornaPedido><pChavePedido xsi:nil=\"TRUE\"><CodEmpresa>1</CodEmpresa></pChavePedido></FRetornaPedido>",
       false, "", "", ""},
      {"NULL parameter", "<FRetornaPedido><pChavePedido xsi:NULL=\"1\"> </pChavePedido></FRetornaPedido>", false, "",
       "", ""},
      {"nil false is a key", "<FRetornaPedido><pChavePedido xsi:nil=\"false\"> </pChavePedido></FRetornaPedido>", true,
       "", "", ""},
      {"parameter name without regard to case",
       "<fretornapedido><PCHAVEPEDIDO><CodPedido>1</CodPedido></PCHAVEPEDIDO></fretornapedido>", true, "", "1", ""},
      {"property names with case",
       "<FRetornaPedido><pChavePedido><codempresa>1</codempresa><CODPEDIDO>2</CODPEDIDO><k:TipoPedido>T</k:TipoPedido>"
       "</pChavePedido></FRetornaPedido>",
       true, "", "", "T"},
      {"other order, duplicates, unknown elements",
       "<FRetornaPedido><pChavePedido><TipoPedido>T1</TipoPedido><X>?</X><CodPedido>P1</CodPedido>"
       "<TipoPedido>T2</TipoPedido><CodEmpresa>E1</CodEmpresa><CodPedido>P2</CodPedido></pChavePedido>"
       "</FRetornaPedido>",
       true, "E1", "P1", "T1"},
      {"nil and empty properties",
       "<FRetornaPedido><pChavePedido><CodEmpresa xsi:nil=\"1\">x</CodEmpresa><CodPedido/></pChavePedido>"
       "</FRetornaPedido>",
       true, "", "", ""},
      {"markup inside a property",
       "<FRetornaPedido><pChavePedido><CodEmpresa>a<b c=\"1\">&amp;</b><!--n--></CodEmpresa>"
       "<CodPedido><![CDATA[<x>]]></CodPedido><TipoPedido>&lt;&amp;</TipoPedido></pChavePedido></FRetornaPedido>",
       true, "a<b c=\"1\">&amp;</b><!--n-->", "<x>", "<&"},
      {"text to the 8-bit code page",
       "<FRetornaPedido><pChavePedido><CodEmpresa>S\xC3\xA3o \xE2\x82\xAC \xE2\x86\x92</CodEmpresa></pChavePedido>"
       "</FRetornaPedido>",
       true, "S\xE3o \x80 ?", "", ""},
  };
  for (const TCase& c : vCases) {
    SCOPED_TRACE(c.vName);
    const soap::TSoapRequest vRequest = FRead("IVelmora", c.vBody);
    ASSERT_NE(vRequest.vMethod, nullptr);
    EXPECT_EQ(vRequest.vMethod->vName, "FRetornaPedido");
    ASSERT_EQ(vRequest.vArgs.size(), 1u);
    const auto* vKey = soap::FArgObject<data::TChavePedido>(vRequest.vArgs, 0);
    ASSERT_EQ(vKey != nullptr, c.vHasObject);
    if (vKey == nullptr) continue;
    EXPECT_EQ(vKey->CodEmpresa, c.vEmpresa);
    EXPECT_EQ(vKey->CodPedido, c.vPedido);
    EXPECT_EQ(vKey->TipoPedido, c.vTipo);
  }
}

TEST_F(OPToSoapDomConvert, DecodesStringParametersWithoutConversion) {
  struct TCase {
    std::string vBody;
    const char* vText;
  } vCases[] = {
      {"<GetXSDForTypeSystem><TypeSystem>urn:\xC3\xA9</TypeSystem></GetXSDForTypeSystem>", "urn:\xC3\xA9"},
      {"<GetXSDForTypeSystem><typesystem href=\"#t\"/></GetXSDForTypeSystem><t id=\"t\">ref</t>", "ref"},
      {"<GetXSDForTypeSystem><TypeSystem href=\"#t\"/></GetXSDForTypeSystem><t id=\"t\" xsi:nil=\"true\">x</t>", ""},
      {"<GetXSDForTypeSystem/>", ""},
  };
  for (const TCase& c : vCases) {
    const soap::TSoapRequest vRequest = FRead("IWSDLPublish", c.vBody);
    ASSERT_EQ(vRequest.vArgs.size(), 1u);
    EXPECT_EQ(vRequest.vArgs[0].vText, c.vText) << c.vBody;
  }
}

TEST_F(OPToSoapDomConvert, NamesTheFailingLineOfAMalformedEnvelope) {
  const std::string vText = "<a>\r\n<b>\r\n\xC3\xA9\xC3\xA9 0123456789012345678901234567890123456789</c>\r\n";
  try {
    (void)soap::FReadSoapRequest(*soap::FInvRegistry().FFind("IVelmora"), vText);
    FAIL() << "no error";
  } catch (const soap::ESOAPDomConvertError& e) {
    // 40 characters of the line, in the 8-bit code page.
    EXPECT_EQ(std::string(e.what()),
              "Opening and ending tag mismatch: b line 2 and c\r\nLine: 3\r\n\xE9\xE9 "
              "0123456789012345678901234567890123456");
  }
}

// The same faulty line in other encodings: the quoted text is read in the
// envelope's own encoding, then narrowed to the 8-bit code page like every
// other text (characters it lacks become "?").
TEST_F(OPToSoapDomConvert, QuotesTheFailingLineInTheEnvelopesOwnEncoding) {
  const auto FUtf16 = [](std::string_view pUtf8, bool pBigEndian) {
    std::string vText = pBigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (std::size_t vPos = 0; vPos < pUtf8.size();) {
      const long vCode = soap::FNextUtf8(pUtf8, vPos);
      const char vHigh = static_cast<char>(vCode >> 8), vLow = static_cast<char>(vCode & 0xFF);
      vText += pBigEndian ? vHigh : vLow;
      vText += pBigEndian ? vLow : vHigh;
    }
    return vText;
  };
  const std::string vUtf8Line = "<a>\xC3\xA7\xC3\xA3\xC3\xA9 \xE2\x82\xAC \xE2\x84\xA2 \xC5\x81</b>";
  const std::string vMismatch = "Opening and ending tag mismatch: a line 2 and b\r\nLine: 2\r\n";
  const std::string vExpected = vMismatch + "<a>\xE7\xE3\xE9 \x80 \x99 ?</b>";
  struct TCase {
    const char* vName;
    std::string vText;
    std::string vMessage;
  } const vCases[] = {
      {"ISO-8859-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<a>\xE7\xE3\xE9</b>\n",
       vMismatch + "<a>\xE7\xE3\xE9</b>"},
      {"windows-1252", "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<a>\xE7\xE3\xE9 \x80 \x99 ?</b>\r\n",
       vExpected},
      {"ISO-8859-2", "<?xml version=\"1.0\" encoding=\"ISO-8859-2\"?>\n<a>\xE7\xE9 \xE3 \xA3</b>\n",
       vMismatch + "<a>\xE7\xE9 ? ?</b>"},
      {"UTF-16LE with its mark", FUtf16("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n" + vUtf8Line + "\n", false),
       vExpected},
      {"UTF-16BE with its mark", FUtf16("<?xml version=\"1.0\"?>\r\n" + vUtf8Line + "\r\n", true), vExpected},
      // A byte the encoding cannot decode is quoted as "?", and the quote
      // stops at 40 characters however long the line.
      {"US-ASCII with a byte it lacks", "<?xml version=\"1.0\" encoding=\"US-ASCII\"?>\n<a>x\xE9y</b>\n",
       "Premature end of data in tag a line 2\r\nLine: 2\r\n<a>x?y</b>"},
      {"US-ASCII, a long line of such bytes",
       "<?xml version=\"1.0\" encoding=\"US-ASCII\"?>\n<a>" + std::string(500000, '\xE9') + "</a>\n",
       "Premature end of data in tag a line 2\r\nLine: 2\r\n<a>" + std::string(37, '?')},
      {"UTF-8 as before", "<?xml version=\"1.0\"?>\n" + vUtf8Line + "\n", vExpected},
  };
  for (const TCase& c : vCases) {
    try {
      (void)soap::FReadSoapRequest(*soap::FInvRegistry().FFind("IVelmora"), c.vText);
      ADD_FAILURE() << c.vName << ": no error";
    } catch (const soap::ESOAPDomConvertError& e) {
      EXPECT_EQ(std::string(e.what()), c.vMessage) << c.vName;
    }
  }
}

}  // namespace
