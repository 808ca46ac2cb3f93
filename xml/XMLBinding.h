// The typed XML document binding shared by every returned document.
//
// A TXMLDocument owns a small element tree whose text values are 8-bit
// strings in the host code page, kept and written back byte for byte. Binding
// classes derive from TXMLNode (or TXMLNodeCollection) and wrap one element
// each; their properties read and write child elements by name.
//
// Ownership: the document owns the elements and every wrapper object handed
// out for them. A TXMLNode& is a view: it must not outlive its document, and
// callers never delete it. Wrapper objects are created on first touch and
// reused, so the same element always comes back as the same object.
//
// Order: a child element is created the first time it is touched (set or
// read) and keeps that place; the markup lists children in first-touch order,
// not in the order a class declares its properties.
//
// Not thread-safe: one document belongs to one data operation.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "port/Exception.h"

namespace xmlbind {

// Raised for misuse of the binding (an item index out of range, text that is
// not an integer, text set on an element that holds elements, a wrapper of an
// unexpected class). The data operations log it like any other error.
class EXMLBindingError : public port::Exception {
 public:
  using port::Exception::Exception;
  [[nodiscard]] const char* FClassName() const noexcept override { return "EXMLBindingError"; }
};

class TXMLElement;  // one element of the tree; defined in XMLBinding.cpp
class TXMLNode;

// Creates the wrapper of one binding class for an element.
using TXMLNodeClass = std::unique_ptr<TXMLNode> (*)(TXMLElement& pElement);

template <class T>
[[nodiscard]] std::unique_ptr<TXMLNode> FCreateNode(TXMLElement& pElement) {
  return std::make_unique<T>(pElement);
}

class TXMLNode {
 public:
  explicit TXMLNode(TXMLElement& pElement);
  virtual ~TXMLNode();
  TXMLNode(const TXMLNode&) = delete;
  TXMLNode& operator=(const TXMLNode&) = delete;

  // The element's name.
  [[nodiscard]] const std::string& NodeName() const;

  // The first child element of that name, created as the last child when
  // there is none yet, wrapped in the class registered for the name (else in
  // a plain TXMLNode).
  TXMLNode& ChildElement(std::string_view pName);

  // Sets the single text value of the named child (empty text gives the
  // element with empty content).
  void SetChildText(std::string_view pName, std::string_view pText);
  // Text of the named child; empty for a new element. Creates the child.
  [[nodiscard]] std::string ChildText(std::string_view pName);

  // The integer in plain decimal ("-12", "0").
  void SetChildInteger(std::string_view pName, std::int32_t pValue);
  // The named child's text as an integer: an empty element reads 0, any text
  // other than a decimal 32-bit integer raises EXMLBindingError.
  [[nodiscard]] std::int32_t ChildInteger(std::string_view pName);

  // The element and everything below it: no declaration, no whitespace
  // between tags, "&", "<" and ">" as entity references, other bytes as they
  // are. An element without content is written "<Name></Name>".
  [[nodiscard]] std::string ElementMarkup() const;

 protected:
  // Child classes: filled by the constructor of each binding class.
  template <class T>
  void RegisterChildClass(std::string_view pName) {
    RegisterChildClass(pName, &FCreateNode<T>);
  }
  void RegisterChildClass(std::string_view pName, TXMLNodeClass pClass);

  // ChildElement as its registered binding class (nested-element properties).
  template <class T>
  T& ChildElementAs(std::string_view pName) {
    return FCast<T>(ChildElement(pName));
  }

  template <class T>
  [[nodiscard]] static T& FCast(TXMLNode& pNode) {
    if (auto* vTyped = dynamic_cast<T*>(&pNode)) return *vTyped;
    PRaiseWrongClass(pNode);
  }

  [[nodiscard]] TXMLElement& Element() const { return vElement; }

 private:
  friend std::string DocumentText(const TXMLNode& pDocumentElement);

  [[noreturn]] static void PRaiseWrongClass(const TXMLNode& pNode);
  [[nodiscard]] TXMLNodeClass FChildClass(std::string_view pName) const;

  TXMLElement& vElement;
  std::vector<std::pair<std::string, TXMLNodeClass>> vChildClasses;
};

// An element that holds nothing but a list of like items.
class TXMLNodeCollection : public TXMLNode {
 public:
  TXMLNodeCollection(TXMLElement& pElement, std::string_view pItemElementName,
                     TXMLNodeClass pItemClass);

  [[nodiscard]] const std::string& ItemElementName() const { return vItemElementName; }
  [[nodiscard]] TXMLNodeClass ItemClass() const { return vItemClass; }

  [[nodiscard]] int ItemCount() const;
  // Zero-based; raises EXMLBindingError out of range.
  TXMLNode& ItemAt(int pIndex);
  // A new item as the last child.
  TXMLNode& AppendItem();
  // A new item before the item at pIndex; pIndex == ItemCount() appends.
  TXMLNode& InsertItemAt(int pIndex);

 private:
  std::string vItemElementName;
  TXMLNodeClass vItemClass;
};

// A collection whose items are of binding class TItem; its list operations
// return TItem.
template <class TItem>
class TXMLNodeCollectionOf : public TXMLNodeCollection {
 public:
  TXMLNodeCollectionOf(TXMLElement& pElement, std::string_view pItemElementName)
      : TXMLNodeCollection(pElement, pItemElementName, &FCreateNode<TItem>) {}

  TItem& ItemAt(int pIndex) { return FCast<TItem>(TXMLNodeCollection::ItemAt(pIndex)); }
  TItem& AppendItem() { return FCast<TItem>(TXMLNodeCollection::AppendItem()); }
  TItem& InsertItemAt(int pIndex) {
    return FCast<TItem>(TXMLNodeCollection::InsertItemAt(pIndex));
  }
};

// Owner of one element tree. Not copyable and not movable: wrappers point
// into it. Lives for one data operation.
class TXMLDocument {
 public:
  TXMLDocument(std::string_view pDocumentElementName, TXMLNodeClass pClass);
  ~TXMLDocument();
  TXMLDocument(const TXMLDocument&) = delete;
  TXMLDocument& operator=(const TXMLDocument&) = delete;

  [[nodiscard]] TXMLNode& DocumentElement() const;

 private:
  std::unique_ptr<TXMLElement> vDocumentElement;
};

// What CreateBoundDocument returns: the document together with its document
// element in its binding class. Movable; the element stays where it is.
template <class T>
class TBoundDocument {
 public:
  explicit TBoundDocument(std::unique_ptr<TXMLDocument> pDocument)
      : vDocument(std::move(pDocument)),
        vDocumentElement(&dynamic_cast<T&>(vDocument->DocumentElement())) {}

  [[nodiscard]] T& DocumentElement() const { return *vDocumentElement; }
  T* operator->() const { return vDocumentElement; }

 private:
  std::unique_ptr<TXMLDocument> vDocument;
  T* vDocumentElement;
};

// A new document (version "1.0") whose document element pName is wrapped in
// binding class T.
template <class T>
[[nodiscard]] TBoundDocument<T> CreateBoundDocument(std::string_view pName) {
  return TBoundDocument<T>(std::make_unique<TXMLDocument>(pName, &FCreateNode<T>));
}

// The returned document string: the declaration
// <?xml version="1.0" encoding="ISO-8859-1"?> directly followed by the
// element's markup, as 8-bit text.
[[nodiscard]] std::string DocumentText(const TXMLNode& pDocumentElement);

}  // namespace xmlbind
