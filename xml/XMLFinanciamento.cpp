#include "xml/XMLFinanciamento.h"

namespace xmlbind {

TXMLPlanoType::TXMLPlanoType(TXMLElement& pElement) : TXMLNode(pElement) {}

TXMLPlanosType::TXMLPlanosType(TXMLElement& pElement)
    : TXMLNodeCollectionOf<TXMLPlanoType>(pElement, cItemElementName) {}

TXMLFinanciamentoType::TXMLFinanciamentoType(TXMLElement& pElement) : TXMLNode(pElement) {
  RegisterChildClass<TXMLPlanosType>("Planos");
  RegisterChildClass<TXMLPlanoType>("Plano");
}

TXMLFinancimentosType::TXMLFinancimentosType(TXMLElement& pElement)
    : TXMLNodeCollectionOf<TXMLFinanciamentoType>(pElement, cItemElementName) {}

}  // namespace xmlbind
