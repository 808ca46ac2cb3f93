#include "soap/XmlTextWriter.h"

#include "soap/CodePage.h"

namespace soap {

namespace {

// XML 1.0 Char production.
bool FXmlChar(long pCode) {
  return pCode == 0x9 || pCode == 0xA || pCode == 0xD || (pCode >= 0x20 && pCode <= 0xD7FF) ||
         (pCode >= 0xE000 && pCode <= 0xFFFD) || (pCode >= 0x10000 && pCode <= 0x10FFFF);
}

// Printable ASCII that stands for itself in every mode.
bool FPlainAscii(char pByte) {
  const auto vByte = static_cast<unsigned char>(pByte);
  return vByte >= 0x20 && vByte < 0x80 && vByte != '&' && vByte != '<' && vByte != '>' && vByte != '"';
}

// Appends the escaped text to vOut.
void PAppendEscaped(std::string& vOut, std::string_view pUtf8, TXmlEscape pMode) {
  const bool vAttribute = pMode == TXmlEscape::Attribute;
  const bool vMinimal = pMode == TXmlEscape::Minimal;
  std::size_t vPos = 0;
  while (vPos < pUtf8.size()) {
    // Most of a document is plain ASCII: it goes over a run at a time.
    std::size_t vRun = vPos;
    while (vRun < pUtf8.size() && FPlainAscii(pUtf8[vRun])) ++vRun;
    vOut.append(pUtf8, vPos, vRun - vPos);
    vPos = vRun;
    if (vPos == pUtf8.size()) break;
    const long vCode = FNextUtf8(pUtf8, vPos);
    if (vCode < 0 || !FXmlChar(vCode)) {
      vOut += '?';
      continue;
    }
    switch (vCode) {
      case '&': vOut += "&amp;"; break;
      case '<': vOut += "&lt;"; break;
      // "]]>" may not stand in character data, so even the minimal form
      // writes that one ">" as a reference.
      case '>': vOut += vMinimal && !vOut.ends_with("]]") ? ">" : "&gt;"; break;
      case '\r': vOut += vMinimal ? "\r" : "&#13;"; break;
      case '"': vOut += vAttribute ? "&quot;" : "\""; break;
      case '\t': vOut += vAttribute ? "&#9;" : "\t"; break;
      case '\n': vOut += vAttribute ? "&#10;" : "\n"; break;
      default: PAppendUtf8(vOut, static_cast<unsigned long>(vCode));
    }
  }
}

}  // namespace

std::string FXmlEscape(std::string_view pUtf8, TXmlEscape pMode) {
  std::string vOut;
  vOut.reserve(pUtf8.size() + pUtf8.size() / 8);
  PAppendEscaped(vOut, pUtf8, pMode);
  return vOut;
}

TXmlNode& TXmlNode::FAdd(std::string pName) {
  vChildren.push_back(std::make_unique<TXmlNode>(std::move(pName)));
  return *vChildren.back();
}

TXmlNode& TXmlNode::FAttr(std::string pName, std::string pValue) {
  vAttributes.emplace_back(std::move(pName), std::move(pValue));
  return *this;
}

TXmlNode& TXmlNode::FText(std::string pValue) {
  vText = std::move(pValue);
  return *this;
}

bool TXmlNode::FHasAttr(std::string_view pName) const {
  for (const auto& [vKey, vValue] : vAttributes) {
    if (vKey == pName) return true;
  }
  return false;
}

void TXmlNode::PWrite(std::string& pOut, int pLevel) const {
  pOut.append(static_cast<std::size_t>(pLevel) * 2, ' ');
  pOut += '<';
  pOut += vName;
  for (const auto& [vKey, vValue] : vAttributes) {
    pOut += ' ';
    pOut += vKey;
    pOut += "=\"";
    PAppendEscaped(pOut, vValue, TXmlEscape::Attribute);
    pOut += '"';
  }
  if (vChildren.empty()) {
    if (vText.empty()) {
      pOut += "/>\n";
    } else {
      pOut += '>';
      PAppendEscaped(pOut, vText, TXmlEscape::Text);
      pOut += "</";
      pOut += vName;
      pOut += ">\n";
    }
    return;
  }
  pOut += ">\n";
  for (const auto& vChild : vChildren) vChild->PWrite(pOut, pLevel + 1);
  pOut.append(static_cast<std::size_t>(pLevel) * 2, ' ');
  pOut += "</";
  pOut += vName;
  pOut += ">\n";
}

std::string FXmlDocumentText(const TXmlNode& pRoot) {
  std::string vOut = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
  pRoot.PWrite(vOut, 0);
  vOut.pop_back();  // the last line break; whoever sends the text ends the line
  return vOut;
}

}  // namespace soap
