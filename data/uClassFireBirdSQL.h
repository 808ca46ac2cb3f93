// Every SQL statement the five data operations of TFireBird send to the
// store database, in one place: a constant per statement (or per piece, for
// the statements an operation puts together) and cSQLStatements, the list of
// every whole text an operation can send, each with a short name. The
// installer's check prepares each entry of the list against the database,
// so a table or column the store lacks shows before the first request.
//
// The texts are the contract with the store database, byte for byte: the
// operations send exactly these, and a statement an operation builds from
// pieces appears in the list exactly as built (pieces joined as the
// operation joins them). Texts are in the database's dialect 1: "X" is a
// string constant.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace data {

// The texts of pPieces joined at compile time, with their terminating nul.
template <std::size_t... N>
consteval std::array<char, (N + ...) - sizeof...(N) + 1> FJuntaSQL(const char (&... pPieces)[N]) {
  std::array<char, (N + ...) - sizeof...(N) + 1> vResult{};
  std::size_t vPos = 0;
  auto PAcrescenta = [&](const char* pPiece, std::size_t pSize) {
    for (std::size_t i = 0; i + 1 < pSize; ++i) vResult[vPos++] = pPiece[i];
  };
  (PAcrescenta(pPieces, N), ...);
  vResult[vPos] = '\0';
  return vResult;
}

// ---- FRetornaPedidoCabecalho: header, customer, settlement, card and
// agreement sums in one statement.
inline constexpr char cSQLPedidoCabecalho[] =
    "select pedidoc.codempresa, pedidoc.tipopedido, pedidoc.codpedido, pedidoc.codcliente, cliente.nome, "
    "cliente.cgccpf, pedidoc.codvendedor, pedidoc.codvendedor2, pedidoc.datapedido, pedidoc.codprazo, "
    "pedidoc.descontoperc, pedidoc.descontovlr, pedidoc.faturado, pedidoc.vlracrescimo, pedidoc.totalpedido, "
    "pedidoc.statuspedido, pedidoc.conferido, pedidoc.codigomidia, pedidoc.desccredito, pedidoc.observacao1, "
    "pedidoc.numcupom, pedidoc.coodavimpfiscal, pedidoc.maquina, pedidoc.codpedidovenda, case when "
    "coalesce(pedidoc.descontotroca,0) > pedidoc.totalpedido then pedidoc.totalpedido else "
    "coalesce(pedidoc.descontotroca, 0) end as creditotroca, Coalesce((Select Sum(ConvEnceFat.Valor) as Total "
    "From ConvEnceFat Join CartCon on(cartcon.codigo = convencefat.convenio) where cartcon.tipo = '1' and "
    "convencefat.CodEmpresa = :PCodEmpresa and convencefat.TipoPedido = :PTipoPedido and convencefat.CodPedido = "
    ":PCodPedido),0) As VlrCartao, encefat.vlrreceber, (encefat.vlrcheque + Encefat.vlrchpredatado) as "
    "vlrcheques, Coalesce((Select Sum(ConvEnceFat.Valor) as Total From ConvEnceFat Join CartCon "
    "on(cartcon.codigo = convencefat.convenio) where cartcon.tipo = '2' and convencefat.CodEmpresa = "
    ":PCodEmpresa and convencefat.TipoPedido = :PTipoPedido and convencefat.CodPedido = :PCodPedido),0) As "
    "Vlrconvenio, encefat.vlrdinheiro, encefat.vlrfinanc, pedidoc.tipofrete, pedidoc.frete from pedidoc inner "
    "join cliente on(cliente.codcliente = pedidoc.codcliente) left join encefat on(encefat.codempresa = "
    "pedidoc.codempresa and encefat.tipopedido = pedidoc.tipopedido and encefat.codpedido = pedidoc.codpedido) "
    "where pedidoc.codempresa = :PCodEmpresa and pedidoc.codpedido = :PCodPedido and PedidoC.tipopedido = "
    ":PTipoPedido";

// ---- FRetornaPedidoItem: the store's stock switches, then the items.
inline constexpr char cSQLItemParamEcf[] =
    "Select ValidarEst, ValidaEstGrade from ParamEcf where CodEmpresa = :PCodEmpresa";

inline constexpr char cSQLItemSelect[] =
    "select pedidoi.codpedido, pedidoi.codprod, pedidoi.codgrade, pedidoi.aliqicm, pedidoi.baseicm, "
    "pedidoi.aliqiss, pedidoi.descontovlr, pedidoi.acrescimovlr, pedidoi.precounit, pedidoi.precotabela, "
    "pedidoi.quantidade, pedidoi.unidadesaida, pedidoi.codtvenda, pedidoi.operacao, pedidoi.numserie, "
    "pedidoi.contrato, pedidoi.fone, pedidoi.codpromo, pedidoi.tabela, produto.controleserie, "
    "pedidoi.autrefidelizacao, pedidoi.totalrateado, pedidoi.claroteste, pedidoi.tipopedido, pedidoi.cancelado, "
    "pedidoi.sequencia, sum(compprod.estoque) as Estoque from pedidoi inner join produto on produto.codprod = "
    "pedidoi.codprod Left join compprod on compprod.codprod = pedidoi.codprod and compprod.codempresa = "
    "pedidoi.codempresa";
// Joined to the stock rows only when stock is counted per grade.
inline constexpr char cSQLItemGrade[] = "and compprod.codgrade = pedidoi.codgrade";
inline constexpr char cSQLItemWhere[] =
    "where pedidoi.codempresa = :PCodEmpresa and pedidoi.codpedido = :PCodPedido and pedidoi.tipopedido = "
    ":PTipoPedido group by 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26 order by "
    "pedidoi.sequencia";
// The two whole items statements, pieces joined by one blank.
inline constexpr auto cSQLItensPorProduto = FJuntaSQL(cSQLItemSelect, " ", cSQLItemWhere);
inline constexpr auto cSQLItensPorGrade =
    FJuntaSQL(cSQLItemSelect, " ", cSQLItemGrade, " ", cSQLItemWhere);

// ---- FAtualizaStatusPedido: the pre-sale switch, then the update.
inline constexpr char cSQLStatusParamEcf[] = "Select UsaPreVenda from ParamEcf where CodEmpresa = :PCodEmpresa";

// Without pre-sales the statement is sent as these three lines.
inline constexpr char cSQLStatusLinha1[] = "update pedidoc set pedidoc.statuspedido = :PStatus";
inline constexpr char cSQLStatusLinha2[] = ",pedidoc.faturado = \"X\"";
inline constexpr char cSQLStatusLinha3[] =
    "Where CodEmpresa = :PCodEmpresa And TipoPedido = :PTipoPedido And CodPedido = :PCodPedido";
// The three lines as one text, the way the query joins its lines.
inline constexpr auto cSQLStatusSemPreVenda =
    FJuntaSQL(cSQLStatusLinha1, "\n", cSQLStatusLinha2, "\n", cSQLStatusLinha3);

inline constexpr char cSQLStatusPreVenda[] =
    "update pedidoc set pedidoc.statuspedido = :PStatus, pedidoc.numcupom = null, pedidoc.faturado = \"X\" "
    "Where CodEmpresa = :PCodEmpresa And TipoPedido = :PTipoPedido And CodPedido = :PCodPedido";

// ---- FRetornaColConvenios: the order's agreement entries, each
// agreement's master data, its payment condition (PCondPag).
inline constexpr char cSQLConvenioEntradas[] =
    "Select ConvEnceFat.Convenio, ConvEnceFat.Matricula, ConvEnceFat.Conveniado, ConvEnceFat.Valor From "
    "ConvEnceFat Inner Join CartCon On CartCon.codigo = ConvEnceFat.convenio Where ConvEnceFat.CodEmpresa = "
    ":PCodEmpresa And ConvEnceFat.TipoPedido = :PTipoPedido And ConvEnceFat.CodPedido = :PCodPedido";

// A company's contract rate (cartconcompl) takes the place of the
// agreement's own percentage; a deactivated agreement yields no row.
inline constexpr char cSQLConvenio[] =
    "select cartcon.codigo, cartcon.nome, case when cartconcompl.txcontrato is not null then "
    "cartconcompl.txcontrato else cartcon.percdesc end as percdesc, cartcon.codcliente, cartcon.codprazo, "
    "cartcon.diavencimento, cartcon.contacxa, cartcon.cartaodebito from cartcon left join cartconcompl "
    "on(cartconcompl.codigo = cartcon.codigo and cartconcompl.codempresa = :PCodEmpresa) where cartcon.codigo = "
    ":pcodigo and (cartcon.desativado <> \"S\" or cartcon.desativado is null)";

inline constexpr char cSQLCondPag[] = "Select * From Condpag Where CodPrazo = :PCodPrazo";

// ---- FRetornaColFinancimentos: the financings, each one's finance
// company and that company's active plans.

// Only financings whose plan exists, and none of an invoiced order; a
// missing order counts as not invoiced.
inline constexpr char cSQLFinanciamentos[] =
    "select financiamento.codfinanceira, financiamento.codplano, financiamento.valorfinanciado, "
    "financiamento.valormensalidade, financiamento.descformapgto, planosfinanc.tac, "
    "financiamento.segurofinanciamento, planosfinanc.tacloja, pedidoc.codcliente From Financiamento Inner Join "
    "PlanosFinanc On PlanosFinanc.CodFinanceira = Financiamento.CodFinanceira And PlanosFinanc.DescFormaPgto = "
    "Financiamento.DescFormaPgto And PlanosFinanc.CodPlano = Financiamento.CodPlano left join pedidoc on "
    "(pedidoc.codempresa = financiamento.codempresa and pedidoc.codpedido = financiamento.codvenda and "
    "pedidoc.tipopedido = financiamento.tipovenda) Where Financiamento.CodEmpresa = :PCodEmpresa And "
    "Financiamento.CodVenda = :PCodVenda And Financiamento.TipoVenda = :PTipoVenda And "
    "Coalesce(PedidoC.Faturado,\"N\") <> \"X\" order by pedidoc.codcliente";

inline constexpr char cSQLFinanceira[] =
    "SELECT CODFINANCEIRA, DESCRICAO, ENDERECO, TELEFONE, VENDESEMENTRADA, CONTATO, GERACXA, GERAREC, "
    "CODEMPRESACXA, CODEMPRESAREC, CODCLIENTE, LIMITEAJUSTEPARCELA, DIASCOMPENSACAO FROM FINANCEIRA WHERE "
    "CODFINANCEIRA = :PCODFINANCEIRA";

// A plan with Ativo NULL counts as active.
inline constexpr char cSQLPlanos[] =
    "Select Codformapgto , Codplano , Descformapgto , Numparc , Coeficientemenos15 , Coeficientemenos10 , "
    "Coeficientemenos5 , Coeficiente00 , Coeficientemais5 , Coeficientemais10 , Coeficientemais15 , "
    "Coeficientemais20 , Coeficientemais25 , Coeficientemais30 , Coeficientemais35 , Coeficientemais40 , "
    "Coeficientemais45 , Coeficientemais50 , Coeficientemais55 , Coeficientemais60 , Coeficientemais65 , "
    "Coeficientemais70 , Coeficientemais75 , Coeficientemais80 , Coeficientemais85 , Coeficientemais90 , "
    "Coeficientemais95 , Coeficientemais100 , Coeficientemais105 , Coeficientemais110 , Coeficientemais115 , "
    "Coeficientemais120 , Segurofinanciamento , Taxacobrada , Ativo , Entrada , Taxaam , Taxaa , Tac , "
    "TaxaRetencao from PlanosFinanc Where CodFinanceira = :PCodFinanc And ((Ativo = \"S\") Or (Ativo Is Null)) "
    "Order By CodFormaPgto, Codplano";

// One whole statement text an operation can send, with a short name.
struct TSQLStatementText {
  std::string_view vNome;
  std::string_view vTexto;
};

// Every whole text, in the order of the operations and their steps.
inline constexpr std::array<TSQLStatementText, 13> cSQLStatements = {{
    {"FRetornaPedidoCabecalho", cSQLPedidoCabecalho},
    {"FRetornaPedidoItem ParamEcf", cSQLItemParamEcf},
    {"FRetornaPedidoItem per product", {cSQLItensPorProduto.data(), cSQLItensPorProduto.size() - 1}},
    {"FRetornaPedidoItem per grade", {cSQLItensPorGrade.data(), cSQLItensPorGrade.size() - 1}},
    {"FAtualizaStatusPedido ParamEcf", cSQLStatusParamEcf},
    {"FAtualizaStatusPedido", {cSQLStatusSemPreVenda.data(), cSQLStatusSemPreVenda.size() - 1}},
    {"FAtualizaStatusPedido pre-sale", cSQLStatusPreVenda},
    {"FRetornaColConvenios entries", cSQLConvenioEntradas},
    {"FRetornaColConvenios agreement", cSQLConvenio},
    {"FRetornaColConvenios payment condition", cSQLCondPag},
    {"FRetornaColFinancimentos", cSQLFinanciamentos},
    {"FRetornaColFinancimentos finance company", cSQLFinanceira},
    {"FRetornaColFinancimentos plans", cSQLPlanos},
}};

}  // namespace data
