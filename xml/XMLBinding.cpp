#include "xml/XMLBinding.h"

#include <algorithm>
#include <charconv>
#include <map>

namespace xmlbind {

namespace {

constexpr std::string_view cDeclaracao = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";

}  // namespace

// One element: either text content or child elements, never both (the
// documents of the system have no mixed content). vByName lists the children
// of each name in document order, so that looking a property up or reaching
// item n of a long list does not walk the whole child list.
class TXMLElement {
 public:
  explicit TXMLElement(std::string_view pName) : vName(pName) {}

  std::string vName;
  std::vector<std::unique_ptr<TXMLElement>> vChildren;
  std::map<std::string, std::vector<TXMLElement*>, std::less<>> vByName;
  std::string vText;
  bool vHasText = false;
  std::unique_ptr<TXMLNode> vWrapper;

  [[nodiscard]] TXMLElement* FFirstChild(std::string_view pName) const {
    auto vIt = vByName.find(pName);
    return vIt == vByName.end() || vIt->second.empty() ? nullptr : vIt->second.front();
  }

  [[nodiscard]] std::size_t FCount(std::string_view pName) const {
    auto vIt = vByName.find(pName);
    return vIt == vByName.end() ? 0 : vIt->second.size();
  }

  // Inserts a new child named pName before pBefore (nullptr: as the last
  // child); pNameIndex is its place among the children of that name.
  TXMLElement& FInsertChild(std::string_view pName, TXMLElement* pBefore, std::size_t pNameIndex) {
    if (vHasText) {
      throw EXMLBindingError("O elemento " + vName + " cont\xE9m texto e n\xE3o aceita o elemento " +
                             std::string(pName));
    }
    auto vChild = std::make_unique<TXMLElement>(pName);
    TXMLElement& vResult = *vChild;
    auto vPos = vChildren.end();
    if (pBefore != nullptr) {
      vPos = std::find_if(vChildren.begin(), vChildren.end(),
                          [pBefore](const auto& pChild) { return pChild.get() == pBefore; });
    }
    vChildren.insert(vPos, std::move(vChild));
    auto& vSameName = vByName.try_emplace(std::string(pName)).first->second;
    vSameName.insert(vSameName.begin() + static_cast<std::ptrdiff_t>(pNameIndex), &vResult);
    return vResult;
  }

  void PAppendText(std::string& pOut) const {
    if (vHasText) pOut += vText;
    for (const auto& vChild : vChildren) vChild->PAppendText(pOut);
  }

  void PWriteMarkup(std::string& pOut) const {
    pOut += '<';
    pOut += vName;
    pOut += '>';
    if (vHasText) PWriteText(vText, pOut);
    for (const auto& vChild : vChildren) vChild->PWriteMarkup(pOut);
    pOut += "</";
    pOut += vName;
    pOut += '>';
  }

 private:
  // Bytes above 0x7F are letters of the host code page and stay as they are
  // (no character references). Control bytes other than tab, line feed and
  // carriage return cannot appear in XML 1.0 text at all, not even as
  // references; a document holding one could not be read back by the caller,
  // so they are written as "?", like any character the code page lacks.
  static void PWriteText(std::string_view pText, std::string& pOut) {
    for (char vChar : pText) {
      switch (vChar) {
        case '&': pOut += "&amp;"; break;
        case '<': pOut += "&lt;"; break;
        case '>': pOut += "&gt;"; break;
        case '\t':
        case '\n':
        case '\r': pOut += vChar; break;
        default:
          pOut += static_cast<unsigned char>(vChar) < 0x20 ? '?' : vChar;
      }
    }
  }
};

// --- TXMLNode ---------------------------------------------------------------

TXMLNode::TXMLNode(TXMLElement& pElement) : vElement(pElement) {}

TXMLNode::~TXMLNode() = default;

const std::string& TXMLNode::NodeName() const { return vElement.vName; }

void TXMLNode::RegisterChildClass(std::string_view pName, TXMLNodeClass pClass) {
  for (auto& [vName, vClass] : vChildClasses) {
    if (vName == pName) {
      vClass = pClass;
      return;
    }
  }
  vChildClasses.emplace_back(std::string(pName), pClass);
}

TXMLNodeClass TXMLNode::FChildClass(std::string_view pName) const {
  for (const auto& [vName, vClass] : vChildClasses) {
    if (vName == pName) return vClass;
  }
  return &FCreateNode<TXMLNode>;
}

TXMLNode& TXMLNode::ChildElement(std::string_view pName) {
  TXMLElement* vChild = vElement.FFirstChild(pName);
  if (vChild == nullptr) vChild = &vElement.FInsertChild(pName, nullptr, 0);
  if (!vChild->vWrapper) vChild->vWrapper = FChildClass(pName)(*vChild);
  return *vChild->vWrapper;
}

void TXMLNode::SetChildText(std::string_view pName, std::string_view pText) {
  TXMLElement& vChild = ChildElement(pName).vElement;
  if (!vChild.vChildren.empty()) {
    throw EXMLBindingError("O elemento " + vChild.vName + " cont\xE9m elementos e n\xE3o aceita texto");
  }
  vChild.vText.assign(pText);
  vChild.vHasText = true;
}

std::string TXMLNode::ChildText(std::string_view pName) {
  std::string vText;
  ChildElement(pName).vElement.PAppendText(vText);
  return vText;
}

void TXMLNode::SetChildInteger(std::string_view pName, std::int32_t pValue) {
  char vBuffer[16];
  auto [vEnd, vErr] = std::to_chars(vBuffer, vBuffer + sizeof vBuffer, pValue);
  (void)vErr;  // 16 bytes always hold an int32
  SetChildText(pName, std::string_view(vBuffer, static_cast<std::size_t>(vEnd - vBuffer)));
}

std::int32_t TXMLNode::ChildInteger(std::string_view pName) {
  const std::string vText = ChildText(pName);
  if (vText.empty()) return 0;
  std::int32_t vValue = 0;
  const char* vLast = vText.data() + vText.size();
  auto [vEnd, vErr] = std::from_chars(vText.data(), vLast, vValue);
  if (vErr != std::errc() || vEnd != vLast) {
    throw EXMLBindingError("\"" + vText + "\" n\xE3o \xE9 um valor inteiro v\xE1lido para o elemento " +
                           std::string(pName));
  }
  return vValue;
}

std::string TXMLNode::ElementMarkup() const {
  std::string vOut;
  vElement.PWriteMarkup(vOut);
  return vOut;
}

void TXMLNode::PRaiseWrongClass(const TXMLNode& pNode) {
  throw EXMLBindingError("O elemento " + pNode.NodeName() +
                         " est\xE1 associado a outra classe de liga\xE7\xE3o");
}

// --- TXMLNodeCollection -----------------------------------------------------

TXMLNodeCollection::TXMLNodeCollection(TXMLElement& pElement, std::string_view pItemElementName,
                                       TXMLNodeClass pItemClass)
    : TXMLNode(pElement), vItemElementName(pItemElementName), vItemClass(pItemClass) {
  // An item reached by name gets the item class as well.
  RegisterChildClass(pItemElementName, pItemClass);
}

int TXMLNodeCollection::ItemCount() const {
  return static_cast<int>(Element().FCount(vItemElementName));
}

TXMLNode& TXMLNodeCollection::ItemAt(int pIndex) {
  if (pIndex < 0 || pIndex >= ItemCount()) {
    throw EXMLBindingError("\xCDndice " + std::to_string(pIndex) + " fora da lista " + NodeName() +
                           " de " + std::to_string(ItemCount()) + " itens");
  }
  TXMLElement& vItem = *Element().vByName.find(vItemElementName)->second[static_cast<std::size_t>(pIndex)];
  if (!vItem.vWrapper) vItem.vWrapper = vItemClass(vItem);
  return *vItem.vWrapper;
}

TXMLNode& TXMLNodeCollection::AppendItem() { return InsertItemAt(ItemCount()); }

TXMLNode& TXMLNodeCollection::InsertItemAt(int pIndex) {
  const int vCount = ItemCount();
  if (pIndex < 0 || pIndex > vCount) {
    throw EXMLBindingError("\xCDndice " + std::to_string(pIndex) + " fora da lista " + NodeName() +
                           " de " + std::to_string(vCount) + " itens");
  }
  TXMLElement* vBefore = nullptr;
  if (pIndex < vCount) {
    vBefore = Element().vByName.find(vItemElementName)->second[static_cast<std::size_t>(pIndex)];
  }
  TXMLElement& vItem =
      Element().FInsertChild(vItemElementName, vBefore, static_cast<std::size_t>(pIndex));
  vItem.vWrapper = vItemClass(vItem);
  return *vItem.vWrapper;
}

// --- TXMLDocument -----------------------------------------------------------

TXMLDocument::TXMLDocument(std::string_view pDocumentElementName, TXMLNodeClass pClass)
    : vDocumentElement(std::make_unique<TXMLElement>(pDocumentElementName)) {
  if (pDocumentElementName.empty()) throw EXMLBindingError("Documento sem nome de elemento");
  vDocumentElement->vWrapper = pClass(*vDocumentElement);
}

TXMLDocument::~TXMLDocument() = default;

TXMLNode& TXMLDocument::DocumentElement() const { return *vDocumentElement->vWrapper; }

std::string DocumentText(const TXMLNode& pDocumentElement) {
  std::string vOut(cDeclaracao);
  vOut += pDocumentElement.ElementMarkup();
  return vOut;
}

}  // namespace xmlbind
