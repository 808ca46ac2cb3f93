#include "xml/XMLBinding.h"

#include <algorithm>
#include <charconv>

namespace xmlbind {

namespace {

constexpr std::string_view cDeclaracao = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";
constexpr std::size_t cFirstChildren = 16;

}  // namespace

// One element: either text content or child elements, never both (the
// documents of the system have no mixed content). vByName lists the children
// of each name in document order, so that looking a property up or reaching
// item n of a long list does not walk the whole child list. An element has
// a few dozen distinct child names at most: a flat list searched in order
// costs less than a tree with its node allocations.
class TXMLElement {
 public:
  using TSameName = std::pair<std::string, std::vector<TXMLElement*>>;

  explicit TXMLElement(std::string_view pName) : vName(pName) {}

  std::string vName;
  std::vector<std::unique_ptr<TXMLElement>> vChildren;
  std::vector<TSameName> vByName;
  std::string vText;
  bool vHasText = false;
  std::unique_ptr<TXMLNode> vWrapper;

  [[nodiscard]] std::vector<TXMLElement*>* FNamed(std::string_view pName) {
    for (auto& [vKey, vElements] : vByName) {
      if (vKey == pName) return &vElements;
    }
    return nullptr;
  }
  [[nodiscard]] const std::vector<TXMLElement*>* FNamed(std::string_view pName) const {
    return const_cast<TXMLElement*>(this)->FNamed(pName);
  }

  [[nodiscard]] TXMLElement* FFirstChild(std::string_view pName) const {
    const auto* vNamed = FNamed(pName);
    return vNamed == nullptr || vNamed->empty() ? nullptr : vNamed->front();
  }

  [[nodiscard]] std::size_t FCount(std::string_view pName) const {
    const auto* vNamed = FNamed(pName);
    return vNamed == nullptr ? 0 : vNamed->size();
  }

  [[nodiscard]] TXMLElement* FNamedAt(std::string_view pName, std::size_t pIndex) const {
    return (*FNamed(pName))[pIndex];
  }

  // The first child named pName, created as the last child when missing.
  TXMLElement& FChild(std::string_view pName) {
    TXMLElement* vChild = FFirstChild(pName);
    return vChild != nullptr ? *vChild : FInsertChild(pName, nullptr, 0);
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
    if (vChildren.empty()) {
      // A document element holds a few dozen children: grown in one step.
      vChildren.reserve(cFirstChildren);
      vByName.reserve(cFirstChildren);
    }
    auto vPos = vChildren.end();
    if (pBefore != nullptr) {
      vPos = std::find_if(vChildren.begin(), vChildren.end(),
                          [pBefore](const auto& pChild) { return pChild.get() == pBefore; });
    }
    vChildren.insert(vPos, std::move(vChild));
    auto* vSameName = FNamed(pName);
    if (vSameName == nullptr) vSameName = &vByName.emplace_back(std::string(pName), std::vector<TXMLElement*>()).second;
    vSameName->insert(vSameName->begin() + static_cast<std::ptrdiff_t>(pNameIndex), &vResult);
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
    // Runs of plain bytes are copied whole.
    std::size_t vRun = 0;
    for (std::size_t i = 0; i < pText.size(); ++i) {
      const char vChar = pText[i];
      const char* vReplacement;
      switch (vChar) {
        case '&': vReplacement = "&amp;"; break;
        case '<': vReplacement = "&lt;"; break;
        case '>': vReplacement = "&gt;"; break;
        case '\t':
        case '\n':
        case '\r': continue;
        default:
          if (static_cast<unsigned char>(vChar) >= 0x20) continue;
          vReplacement = "?";
      }
      pOut.append(pText, vRun, i - vRun);
      pOut += vReplacement;
      vRun = i + 1;
    }
    pOut.append(pText, vRun);
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
  TXMLElement& vChild = vElement.FChild(pName);
  if (!vChild.vWrapper) vChild.vWrapper = FChildClass(pName)(vChild);
  return *vChild.vWrapper;
}

// Text properties reach the element itself: a wrapper object is made only
// when someone asks for the child as a node.
void TXMLNode::SetChildText(std::string_view pName, std::string_view pText) {
  TXMLElement& vChild = vElement.FChild(pName);
  if (!vChild.vChildren.empty()) {
    throw EXMLBindingError("O elemento " + vChild.vName + " cont\xE9m elementos e n\xE3o aceita texto");
  }
  vChild.vText.assign(pText);
  vChild.vHasText = true;
}

std::string TXMLNode::ChildText(std::string_view pName) {
  std::string vText;
  vElement.FChild(pName).PAppendText(vText);
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
  TXMLElement& vItem = *Element().FNamedAt(vItemElementName, static_cast<std::size_t>(pIndex));
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
    vBefore = Element().FNamedAt(vItemElementName, static_cast<std::size_t>(pIndex));
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
  std::string vOut;
  vOut.reserve(2048);
  vOut += cDeclaracao;
  pDocumentElement.vElement.PWriteMarkup(vOut);
  return vOut;
}

}  // namespace xmlbind
