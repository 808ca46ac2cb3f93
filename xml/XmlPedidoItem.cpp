#include "xml/XmlPedidoItem.h"

namespace xmlbind {

TXMLItemType::TXMLItemType(TXMLElement& pElement) : TXMLNode(pElement) {}

TXMLListaItemType::TXMLListaItemType(TXMLElement& pElement)
    : TXMLNodeCollectionOf<TXMLItemType>(pElement, cItemElementName) {}

}  // namespace xmlbind
