#include "data/uDMBancoDeDados.h"

namespace data {

std::string TDMBancoDeDados::FRetornaPedidoCabecalho(const TChavePedido*) { return {}; }
std::string TDMBancoDeDados::FRetornaPedidoItem(const TChavePedido*) { return {}; }
bool TDMBancoDeDados::FAtualizaStatusPedido(const TChavePedido*) { return true; }
std::string TDMBancoDeDados::FRetornaColConvenios(const TChavePedido*) { return {}; }
std::string TDMBancoDeDados::FRetornaColFinancimentos(const TChavePedido*) { return {}; }

}  // namespace data
