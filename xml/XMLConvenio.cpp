#include "xml/XMLConvenio.h"

namespace xmlbind {

namespace {

// "PRAZO7" for ("PRAZO", 7). The bound keeps a wrong index from creating an
// element the document does not define.
std::string FNomeNumerado(std::string_view pPrefixo, int pNumero) {
  if (pNumero < 1 || pNumero > TXMLCondPagType::cNumeroDePrazos) {
    throw EXMLBindingError("condPag n\xE3o tem o elemento " + std::string(pPrefixo) +
                           std::to_string(pNumero));
  }
  return std::string(pPrefixo) + std::to_string(pNumero);
}

}  // namespace

TXMLCondPagType::TXMLCondPagType(TXMLElement& pElement) : TXMLNode(pElement) {}

void TXMLCondPagType::SetPRAZO(int pNumero, std::int32_t pValue) {
  SetChildInteger(FNomeNumerado("PRAZO", pNumero), pValue);
}

std::int32_t TXMLCondPagType::PRAZO(int pNumero) {
  return ChildInteger(FNomeNumerado("PRAZO", pNumero));
}

void TXMLCondPagType::SetPERCENT(int pNumero, std::string_view pValue) {
  SetChildText(FNomeNumerado("PERCENT", pNumero), pValue);
}

std::string TXMLCondPagType::PERCENT(int pNumero) {
  return ChildText(FNomeNumerado("PERCENT", pNumero));
}

TXMLConvenioType::TXMLConvenioType(TXMLElement& pElement) : TXMLNode(pElement) {
  RegisterChildClass<TXMLCondPagType>("condPag");
}

TXMLConveniosType::TXMLConveniosType(TXMLElement& pElement)
    : TXMLNodeCollectionOf<TXMLConvenioType>(pElement, cItemElementName) {}

}  // namespace xmlbind
