#include "xml/XmlPedidoCabecalho.h"

namespace xmlbind {

TXMLEnceFatType::TXMLEnceFatType(TXMLElement& pElement) : TXMLNode(pElement) {}

TXMLPedidoType::TXMLPedidoType(TXMLElement& pElement) : TXMLNode(pElement) {
  RegisterChildClass<TXMLEnceFatType>("EnceFat");
}

}  // namespace xmlbind
