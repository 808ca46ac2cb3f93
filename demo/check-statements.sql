/* The statements that the order service runs, as it sends them, with
   the parameters replaced by values of the demo orders (see data.sql).

   Each block starts with "-- @check <title>" and "-- @rows <n>": the first
   statement of the block must give n rows (or change n rows).  Every
   "-- @expect <text>" must occur in the block's output, blanks squeezed.
   Status updates are rolled back.  scripts/demo-db.sh --check runs every
   block on its own; the whole file also runs as one isql-fb script. */

SET SQL DIALECT 1;
SET LIST ON;
SET COUNT ON;

-- @check order header 001/00000101/P: the complete order
-- @rows 1
-- @expect OBSERVACAO1 Entregar ap
-- @expect 18h & <urgente>
-- @expect CREDITOTROCA 50.00
-- @expect VLRCARTAO 700.00
-- @expect VLRCHEQUES 350.0000000000000
-- @expect VLRCONVENIO 135.15
-- @expect VLRFINANC 1000.00
select pedidoc.codempresa, pedidoc.tipopedido, pedidoc.codpedido, pedidoc.codcliente, cliente.nome, cliente.cgccpf, pedidoc.codvendedor, pedidoc.codvendedor2, pedidoc.datapedido, pedidoc.codprazo, pedidoc.descontoperc, pedidoc.descontovlr, pedidoc.faturado, pedidoc.vlracrescimo, pedidoc.totalpedido, pedidoc.statuspedido, pedidoc.conferido, pedidoc.codigomidia, pedidoc.desccredito, pedidoc.observacao1, pedidoc.numcupom, pedidoc.coodavimpfiscal, pedidoc.maquina, pedidoc.codpedidovenda, case when coalesce(pedidoc.descontotroca,0) > pedidoc.totalpedido then pedidoc.totalpedido else coalesce(pedidoc.descontotroca, 0) end as creditotroca, Coalesce((Select Sum(ConvEnceFat.Valor) as Total From ConvEnceFat Join CartCon on(cartcon.codigo = convencefat.convenio) where cartcon.tipo = '1' and convencefat.CodEmpresa = '001' and convencefat.TipoPedido = 'P' and convencefat.CodPedido = '00000101'),0) As VlrCartao, encefat.vlrreceber, (encefat.vlrcheque + Encefat.vlrchpredatado) as vlrcheques, Coalesce((Select Sum(ConvEnceFat.Valor) as Total From ConvEnceFat Join CartCon on(cartcon.codigo = convencefat.convenio) where cartcon.tipo = '2' and convencefat.CodEmpresa = '001' and convencefat.TipoPedido = 'P' and convencefat.CodPedido = '00000101'),0) As Vlrconvenio, encefat.vlrdinheiro, encefat.vlrfinanc, pedidoc.tipofrete, pedidoc.frete from pedidoc inner join cliente on(cliente.codcliente = pedidoc.codcliente) left join encefat on(encefat.codempresa = pedidoc.codempresa and encefat.tipopedido = pedidoc.tipopedido and encefat.codpedido = pedidoc.codpedido) where pedidoc.codempresa = '001' and pedidoc.codpedido = '00000101' and PedidoC.tipopedido = 'P';

-- @check order header 001/00000102/P: no settlement row
-- @rows 1
-- @expect VLRCARTAO 99.70
-- @expect VLRCONVENIO 100.00
-- @expect VLRRECEBER <null>
-- @expect VLRCHEQUES <null>
select pedidoc.codempresa, pedidoc.tipopedido, pedidoc.codpedido, pedidoc.codcliente, cliente.nome, cliente.cgccpf, pedidoc.codvendedor, pedidoc.codvendedor2, pedidoc.datapedido, pedidoc.codprazo, pedidoc.descontoperc, pedidoc.descontovlr, pedidoc.faturado, pedidoc.vlracrescimo, pedidoc.totalpedido, pedidoc.statuspedido, pedidoc.conferido, pedidoc.codigomidia, pedidoc.desccredito, pedidoc.observacao1, pedidoc.numcupom, pedidoc.coodavimpfiscal, pedidoc.maquina, pedidoc.codpedidovenda, case when coalesce(pedidoc.descontotroca,0) > pedidoc.totalpedido then pedidoc.totalpedido else coalesce(pedidoc.descontotroca, 0) end as creditotroca, Coalesce((Select Sum(ConvEnceFat.Valor) as Total From ConvEnceFat Join CartCon on(cartcon.codigo = convencefat.convenio) where cartcon.tipo = '1' and convencefat.CodEmpresa = '001' and convencefat.TipoPedido = 'P' and convencefat.CodPedido = '00000102'),0) As VlrCartao, encefat.vlrreceber, (encefat.vlrcheque + Encefat.vlrchpredatado) as vlrcheques, Coalesce((Select Sum(ConvEnceFat.Valor) as Total From ConvEnceFat Join CartCon on(cartcon.codigo = convencefat.convenio) where cartcon.tipo = '2' and convencefat.CodEmpresa = '001' and convencefat.TipoPedido = 'P' and convencefat.CodPedido = '00000102'),0) As Vlrconvenio, encefat.vlrdinheiro, encefat.vlrfinanc, pedidoc.tipofrete, pedidoc.frete from pedidoc inner join cliente on(cliente.codcliente = pedidoc.codcliente) left join encefat on(encefat.codempresa = pedidoc.codempresa and encefat.tipopedido = pedidoc.tipopedido and encefat.codpedido = pedidoc.codpedido) where pedidoc.codempresa = '001' and pedidoc.codpedido = '00000102' and PedidoC.tipopedido = 'P';

-- @check order header 001/00000103/P: invoiced, capped exchange credit
-- @rows 1
-- @expect DATAPEDIDO <null>
-- @expect FATURADO X
-- @expect TOTALPEDIDO 320.00
-- @expect CREDITOTROCA 320.00
-- @expect VLRCHEQUES <null>
select pedidoc.codempresa, pedidoc.tipopedido, pedidoc.codpedido, pedidoc.codcliente, cliente.nome, cliente.cgccpf, pedidoc.codvendedor, pedidoc.codvendedor2, pedidoc.datapedido, pedidoc.codprazo, pedidoc.descontoperc, pedidoc.descontovlr, pedidoc.faturado, pedidoc.vlracrescimo, pedidoc.totalpedido, pedidoc.statuspedido, pedidoc.conferido, pedidoc.codigomidia, pedidoc.desccredito, pedidoc.observacao1, pedidoc.numcupom, pedidoc.coodavimpfiscal, pedidoc.maquina, pedidoc.codpedidovenda, case when coalesce(pedidoc.descontotroca,0) > pedidoc.totalpedido then pedidoc.totalpedido else coalesce(pedidoc.descontotroca, 0) end as creditotroca, Coalesce((Select Sum(ConvEnceFat.Valor) as Total From ConvEnceFat Join CartCon on(cartcon.codigo = convencefat.convenio) where cartcon.tipo = '1' and convencefat.CodEmpresa = '001' and convencefat.TipoPedido = 'P' and convencefat.CodPedido = '00000103'),0) As VlrCartao, encefat.vlrreceber, (encefat.vlrcheque + Encefat.vlrchpredatado) as vlrcheques, Coalesce((Select Sum(ConvEnceFat.Valor) as Total From ConvEnceFat Join CartCon on(cartcon.codigo = convencefat.convenio) where cartcon.tipo = '2' and convencefat.CodEmpresa = '001' and convencefat.TipoPedido = 'P' and convencefat.CodPedido = '00000103'),0) As Vlrconvenio, encefat.vlrdinheiro, encefat.vlrfinanc, pedidoc.tipofrete, pedidoc.frete from pedidoc inner join cliente on(cliente.codcliente = pedidoc.codcliente) left join encefat on(encefat.codempresa = pedidoc.codempresa and encefat.tipopedido = pedidoc.tipopedido and encefat.codpedido = pedidoc.codpedido) where pedidoc.codempresa = '001' and pedidoc.codpedido = '00000103' and PedidoC.tipopedido = 'P';

-- @check order header 001/00000104/P
-- @rows 1
select pedidoc.codempresa, pedidoc.tipopedido, pedidoc.codpedido, pedidoc.codcliente, cliente.nome, cliente.cgccpf, pedidoc.codvendedor, pedidoc.codvendedor2, pedidoc.datapedido, pedidoc.codprazo, pedidoc.descontoperc, pedidoc.descontovlr, pedidoc.faturado, pedidoc.vlracrescimo, pedidoc.totalpedido, pedidoc.statuspedido, pedidoc.conferido, pedidoc.codigomidia, pedidoc.desccredito, pedidoc.observacao1, pedidoc.numcupom, pedidoc.coodavimpfiscal, pedidoc.maquina, pedidoc.codpedidovenda, case when coalesce(pedidoc.descontotroca,0) > pedidoc.totalpedido then pedidoc.totalpedido else coalesce(pedidoc.descontotroca, 0) end as creditotroca, Coalesce((Select Sum(ConvEnceFat.Valor) as Total From ConvEnceFat Join CartCon on(cartcon.codigo = convencefat.convenio) where cartcon.tipo = '1' and convencefat.CodEmpresa = '001' and convencefat.TipoPedido = 'P' and convencefat.CodPedido = '00000104'),0) As VlrCartao, encefat.vlrreceber, (encefat.vlrcheque + Encefat.vlrchpredatado) as vlrcheques, Coalesce((Select Sum(ConvEnceFat.Valor) as Total From ConvEnceFat Join CartCon on(cartcon.codigo = convencefat.convenio) where cartcon.tipo = '2' and convencefat.CodEmpresa = '001' and convencefat.TipoPedido = 'P' and convencefat.CodPedido = '00000104'),0) As Vlrconvenio, encefat.vlrdinheiro, encefat.vlrfinanc, pedidoc.tipofrete, pedidoc.frete from pedidoc inner join cliente on(cliente.codcliente = pedidoc.codcliente) left join encefat on(encefat.codempresa = pedidoc.codempresa and encefat.tipopedido = pedidoc.tipopedido and encefat.codpedido = pedidoc.codpedido) where pedidoc.codempresa = '001' and pedidoc.codpedido = '00000104' and PedidoC.tipopedido = 'P';

-- @check order header 002/00000201/P
-- @rows 1
select pedidoc.codempresa, pedidoc.tipopedido, pedidoc.codpedido, pedidoc.codcliente, cliente.nome, cliente.cgccpf, pedidoc.codvendedor, pedidoc.codvendedor2, pedidoc.datapedido, pedidoc.codprazo, pedidoc.descontoperc, pedidoc.descontovlr, pedidoc.faturado, pedidoc.vlracrescimo, pedidoc.totalpedido, pedidoc.statuspedido, pedidoc.conferido, pedidoc.codigomidia, pedidoc.desccredito, pedidoc.observacao1, pedidoc.numcupom, pedidoc.coodavimpfiscal, pedidoc.maquina, pedidoc.codpedidovenda, case when coalesce(pedidoc.descontotroca,0) > pedidoc.totalpedido then pedidoc.totalpedido else coalesce(pedidoc.descontotroca, 0) end as creditotroca, Coalesce((Select Sum(ConvEnceFat.Valor) as Total From ConvEnceFat Join CartCon on(cartcon.codigo = convencefat.convenio) where cartcon.tipo = '1' and convencefat.CodEmpresa = '002' and convencefat.TipoPedido = 'P' and convencefat.CodPedido = '00000201'),0) As VlrCartao, encefat.vlrreceber, (encefat.vlrcheque + Encefat.vlrchpredatado) as vlrcheques, Coalesce((Select Sum(ConvEnceFat.Valor) as Total From ConvEnceFat Join CartCon on(cartcon.codigo = convencefat.convenio) where cartcon.tipo = '2' and convencefat.CodEmpresa = '002' and convencefat.TipoPedido = 'P' and convencefat.CodPedido = '00000201'),0) As Vlrconvenio, encefat.vlrdinheiro, encefat.vlrfinanc, pedidoc.tipofrete, pedidoc.frete from pedidoc inner join cliente on(cliente.codcliente = pedidoc.codcliente) left join encefat on(encefat.codempresa = pedidoc.codempresa and encefat.tipopedido = pedidoc.tipopedido and encefat.codpedido = pedidoc.codpedido) where pedidoc.codempresa = '002' and pedidoc.codpedido = '00000201' and PedidoC.tipopedido = 'P';

-- @check order header 001/00000105/P: customer missing
-- @rows 0
select pedidoc.codempresa, pedidoc.tipopedido, pedidoc.codpedido, pedidoc.codcliente, cliente.nome, cliente.cgccpf, pedidoc.codvendedor, pedidoc.codvendedor2, pedidoc.datapedido, pedidoc.codprazo, pedidoc.descontoperc, pedidoc.descontovlr, pedidoc.faturado, pedidoc.vlracrescimo, pedidoc.totalpedido, pedidoc.statuspedido, pedidoc.conferido, pedidoc.codigomidia, pedidoc.desccredito, pedidoc.observacao1, pedidoc.numcupom, pedidoc.coodavimpfiscal, pedidoc.maquina, pedidoc.codpedidovenda, case when coalesce(pedidoc.descontotroca,0) > pedidoc.totalpedido then pedidoc.totalpedido else coalesce(pedidoc.descontotroca, 0) end as creditotroca, Coalesce((Select Sum(ConvEnceFat.Valor) as Total From ConvEnceFat Join CartCon on(cartcon.codigo = convencefat.convenio) where cartcon.tipo = '1' and convencefat.CodEmpresa = '001' and convencefat.TipoPedido = 'P' and convencefat.CodPedido = '00000105'),0) As VlrCartao, encefat.vlrreceber, (encefat.vlrcheque + Encefat.vlrchpredatado) as vlrcheques, Coalesce((Select Sum(ConvEnceFat.Valor) as Total From ConvEnceFat Join CartCon on(cartcon.codigo = convencefat.convenio) where cartcon.tipo = '2' and convencefat.CodEmpresa = '001' and convencefat.TipoPedido = 'P' and convencefat.CodPedido = '00000105'),0) As Vlrconvenio, encefat.vlrdinheiro, encefat.vlrfinanc, pedidoc.tipofrete, pedidoc.frete from pedidoc inner join cliente on(cliente.codcliente = pedidoc.codcliente) left join encefat on(encefat.codempresa = pedidoc.codempresa and encefat.tipopedido = pedidoc.tipopedido and encefat.codpedido = pedidoc.codpedido) where pedidoc.codempresa = '001' and pedidoc.codpedido = '00000105' and PedidoC.tipopedido = 'P';

-- @check order header 001/00000101/P with the code not zero-filled
-- @rows 0
select pedidoc.codempresa, pedidoc.tipopedido, pedidoc.codpedido, pedidoc.codcliente, cliente.nome, cliente.cgccpf, pedidoc.codvendedor, pedidoc.codvendedor2, pedidoc.datapedido, pedidoc.codprazo, pedidoc.descontoperc, pedidoc.descontovlr, pedidoc.faturado, pedidoc.vlracrescimo, pedidoc.totalpedido, pedidoc.statuspedido, pedidoc.conferido, pedidoc.codigomidia, pedidoc.desccredito, pedidoc.observacao1, pedidoc.numcupom, pedidoc.coodavimpfiscal, pedidoc.maquina, pedidoc.codpedidovenda, case when coalesce(pedidoc.descontotroca,0) > pedidoc.totalpedido then pedidoc.totalpedido else coalesce(pedidoc.descontotroca, 0) end as creditotroca, Coalesce((Select Sum(ConvEnceFat.Valor) as Total From ConvEnceFat Join CartCon on(cartcon.codigo = convencefat.convenio) where cartcon.tipo = '1' and convencefat.CodEmpresa = '001' and convencefat.TipoPedido = 'P' and convencefat.CodPedido = '101'),0) As VlrCartao, encefat.vlrreceber, (encefat.vlrcheque + Encefat.vlrchpredatado) as vlrcheques, Coalesce((Select Sum(ConvEnceFat.Valor) as Total From ConvEnceFat Join CartCon on(cartcon.codigo = convencefat.convenio) where cartcon.tipo = '2' and convencefat.CodEmpresa = '001' and convencefat.TipoPedido = 'P' and convencefat.CodPedido = '101'),0) As Vlrconvenio, encefat.vlrdinheiro, encefat.vlrfinanc, pedidoc.tipofrete, pedidoc.frete from pedidoc inner join cliente on(cliente.codcliente = pedidoc.codcliente) left join encefat on(encefat.codempresa = pedidoc.codempresa and encefat.tipopedido = pedidoc.tipopedido and encefat.codpedido = pedidoc.codpedido) where pedidoc.codempresa = '001' and pedidoc.codpedido = '101' and PedidoC.tipopedido = 'P';

-- @check stock switches of company 001: all grades
-- @rows 1
-- @expect VALIDAREST S
-- @expect VALIDAESTGRADE N
Select ValidarEst, ValidaEstGrade from ParamEcf where CodEmpresa = '001';

-- @check stock switches of company 002: per grade
-- @rows 1
-- @expect VALIDAREST S
-- @expect VALIDAESTGRADE S
Select ValidarEst, ValidaEstGrade from ParamEcf where CodEmpresa = '002';

-- @check stock switches of company 003: no row
-- @rows 0
Select ValidarEst, ValidaEstGrade from ParamEcf where CodEmpresa = '003';

-- @check items 001/00000101/P, all grades
-- @rows 4
-- @expect CODGRADE 40
-- @expect ESTOQUE 10.000
-- @expect NUMSERIE 356938035643809
-- @expect ESTOQUE <null>
-- @expect ESTOQUE 35.500
select pedidoi.codpedido, pedidoi.codprod, pedidoi.codgrade, pedidoi.aliqicm, pedidoi.baseicm, pedidoi.aliqiss, pedidoi.descontovlr, pedidoi.acrescimovlr, pedidoi.precounit, pedidoi.precotabela, pedidoi.quantidade, pedidoi.unidadesaida, pedidoi.codtvenda, pedidoi.operacao, pedidoi.numserie, pedidoi.contrato, pedidoi.fone, pedidoi.codpromo, pedidoi.tabela, produto.controleserie, pedidoi.autrefidelizacao, pedidoi.totalrateado, pedidoi.claroteste, pedidoi.tipopedido, pedidoi.cancelado, pedidoi.sequencia, sum(compprod.estoque) as Estoque from pedidoi inner join produto on produto.codprod = pedidoi.codprod Left join compprod on compprod.codprod = pedidoi.codprod and compprod.codempresa = pedidoi.codempresa where pedidoi.codempresa = '001' and pedidoi.codpedido = '00000101' and pedidoi.tipopedido = 'P' group by 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26 order by pedidoi.sequencia;

-- @check items 001/00000102/P: the item without product is left out
-- @rows 1
select pedidoi.codpedido, pedidoi.codprod, pedidoi.codgrade, pedidoi.aliqicm, pedidoi.baseicm, pedidoi.aliqiss, pedidoi.descontovlr, pedidoi.acrescimovlr, pedidoi.precounit, pedidoi.precotabela, pedidoi.quantidade, pedidoi.unidadesaida, pedidoi.codtvenda, pedidoi.operacao, pedidoi.numserie, pedidoi.contrato, pedidoi.fone, pedidoi.codpromo, pedidoi.tabela, produto.controleserie, pedidoi.autrefidelizacao, pedidoi.totalrateado, pedidoi.claroteste, pedidoi.tipopedido, pedidoi.cancelado, pedidoi.sequencia, sum(compprod.estoque) as Estoque from pedidoi inner join produto on produto.codprod = pedidoi.codprod Left join compprod on compprod.codprod = pedidoi.codprod and compprod.codempresa = pedidoi.codempresa where pedidoi.codempresa = '001' and pedidoi.codpedido = '00000102' and pedidoi.tipopedido = 'P' group by 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26 order by pedidoi.sequencia;

-- @check items 001/00000103/P: null operacao and codpromo
-- @rows 1
-- @expect OPERACAO <null>
-- @expect CODPROMO <null>
select pedidoi.codpedido, pedidoi.codprod, pedidoi.codgrade, pedidoi.aliqicm, pedidoi.baseicm, pedidoi.aliqiss, pedidoi.descontovlr, pedidoi.acrescimovlr, pedidoi.precounit, pedidoi.precotabela, pedidoi.quantidade, pedidoi.unidadesaida, pedidoi.codtvenda, pedidoi.operacao, pedidoi.numserie, pedidoi.contrato, pedidoi.fone, pedidoi.codpromo, pedidoi.tabela, produto.controleserie, pedidoi.autrefidelizacao, pedidoi.totalrateado, pedidoi.claroteste, pedidoi.tipopedido, pedidoi.cancelado, pedidoi.sequencia, sum(compprod.estoque) as Estoque from pedidoi inner join produto on produto.codprod = pedidoi.codprod Left join compprod on compprod.codprod = pedidoi.codprod and compprod.codempresa = pedidoi.codempresa where pedidoi.codempresa = '001' and pedidoi.codpedido = '00000103' and pedidoi.tipopedido = 'P' group by 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26 order by pedidoi.sequencia;

-- @check items 001/00000104/P
-- @rows 2
select pedidoi.codpedido, pedidoi.codprod, pedidoi.codgrade, pedidoi.aliqicm, pedidoi.baseicm, pedidoi.aliqiss, pedidoi.descontovlr, pedidoi.acrescimovlr, pedidoi.precounit, pedidoi.precotabela, pedidoi.quantidade, pedidoi.unidadesaida, pedidoi.codtvenda, pedidoi.operacao, pedidoi.numserie, pedidoi.contrato, pedidoi.fone, pedidoi.codpromo, pedidoi.tabela, produto.controleserie, pedidoi.autrefidelizacao, pedidoi.totalrateado, pedidoi.claroteste, pedidoi.tipopedido, pedidoi.cancelado, pedidoi.sequencia, sum(compprod.estoque) as Estoque from pedidoi inner join produto on produto.codprod = pedidoi.codprod Left join compprod on compprod.codprod = pedidoi.codprod and compprod.codempresa = pedidoi.codempresa where pedidoi.codempresa = '001' and pedidoi.codpedido = '00000104' and pedidoi.tipopedido = 'P' group by 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26 order by pedidoi.sequencia;

-- @check items 002/00000201/P, per grade
-- @rows 3
-- @expect CODGRADE 42
-- @expect ESTOQUE 1.000
-- @expect ESTOQUE 4.000
-- @expect ESTOQUE 3.000
select pedidoi.codpedido, pedidoi.codprod, pedidoi.codgrade, pedidoi.aliqicm, pedidoi.baseicm, pedidoi.aliqiss, pedidoi.descontovlr, pedidoi.acrescimovlr, pedidoi.precounit, pedidoi.precotabela, pedidoi.quantidade, pedidoi.unidadesaida, pedidoi.codtvenda, pedidoi.operacao, pedidoi.numserie, pedidoi.contrato, pedidoi.fone, pedidoi.codpromo, pedidoi.tabela, produto.controleserie, pedidoi.autrefidelizacao, pedidoi.totalrateado, pedidoi.claroteste, pedidoi.tipopedido, pedidoi.cancelado, pedidoi.sequencia, sum(compprod.estoque) as Estoque from pedidoi inner join produto on produto.codprod = pedidoi.codprod Left join compprod on compprod.codprod = pedidoi.codprod and compprod.codempresa = pedidoi.codempresa and compprod.codgrade = pedidoi.codgrade where pedidoi.codempresa = '002' and pedidoi.codpedido = '00000201' and pedidoi.tipopedido = 'P' group by 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26 order by pedidoi.sequencia;

-- @check items 002/00000201/P, all grades for comparison
-- @rows 3
-- @expect ESTOQUE 5.000
select pedidoi.codpedido, pedidoi.codprod, pedidoi.codgrade, pedidoi.aliqicm, pedidoi.baseicm, pedidoi.aliqiss, pedidoi.descontovlr, pedidoi.acrescimovlr, pedidoi.precounit, pedidoi.precotabela, pedidoi.quantidade, pedidoi.unidadesaida, pedidoi.codtvenda, pedidoi.operacao, pedidoi.numserie, pedidoi.contrato, pedidoi.fone, pedidoi.codpromo, pedidoi.tabela, produto.controleserie, pedidoi.autrefidelizacao, pedidoi.totalrateado, pedidoi.claroteste, pedidoi.tipopedido, pedidoi.cancelado, pedidoi.sequencia, sum(compprod.estoque) as Estoque from pedidoi inner join produto on produto.codprod = pedidoi.codprod Left join compprod on compprod.codprod = pedidoi.codprod and compprod.codempresa = pedidoi.codempresa where pedidoi.codempresa = '002' and pedidoi.codpedido = '00000201' and pedidoi.tipopedido = 'P' group by 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26 order by pedidoi.sequencia;

-- @check items 001/00000105/P: no items
-- @rows 0
select pedidoi.codpedido, pedidoi.codprod, pedidoi.codgrade, pedidoi.aliqicm, pedidoi.baseicm, pedidoi.aliqiss, pedidoi.descontovlr, pedidoi.acrescimovlr, pedidoi.precounit, pedidoi.precotabela, pedidoi.quantidade, pedidoi.unidadesaida, pedidoi.codtvenda, pedidoi.operacao, pedidoi.numserie, pedidoi.contrato, pedidoi.fone, pedidoi.codpromo, pedidoi.tabela, produto.controleserie, pedidoi.autrefidelizacao, pedidoi.totalrateado, pedidoi.claroteste, pedidoi.tipopedido, pedidoi.cancelado, pedidoi.sequencia, sum(compprod.estoque) as Estoque from pedidoi inner join produto on produto.codprod = pedidoi.codprod Left join compprod on compprod.codprod = pedidoi.codprod and compprod.codempresa = pedidoi.codempresa where pedidoi.codempresa = '001' and pedidoi.codpedido = '00000105' and pedidoi.tipopedido = 'P' group by 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26 order by pedidoi.sequencia;

-- @check pre-sale switch of company 001
-- @rows 1
-- @expect USAPREVENDA S
Select UsaPreVenda from ParamEcf where CodEmpresa = '001';

-- @check pre-sale switch of company 003: no row
-- @rows 0
Select UsaPreVenda from ParamEcf where CodEmpresa = '003';

-- @check status update without pre-sales, 002/00000201/P
-- @rows 1
-- @expect STATUSPEDIDO 00
-- @expect FATURADO X
-- @expect NUMCUPOM 5531
update pedidoc set pedidoc.statuspedido = '00'
,pedidoc.faturado = "X"
Where CodEmpresa = '002' And TipoPedido = 'P' And CodPedido = '00000201';
select statuspedido, faturado, numcupom from pedidoc where codempresa = '002' and codpedido = '00000201' and tipopedido = 'P';
rollback;

-- @check status update with pre-sales, 001/00000104/P
-- @rows 1
-- @expect STATUSPEDIDO 02
-- @expect FATURADO X
-- @expect NUMCUPOM <null>
update pedidoc set pedidoc.statuspedido = '02', pedidoc.numcupom = null, pedidoc.faturado = "X" Where CodEmpresa = '001' And TipoPedido = 'P' And CodPedido = '00000104';
select statuspedido, faturado, numcupom from pedidoc where codempresa = '001' and codpedido = '00000104' and tipopedido = 'P';
rollback;

-- @check status update of an order that does not exist
-- @rows 0
update pedidoc set pedidoc.statuspedido = '00'
,pedidoc.faturado = "X"
Where CodEmpresa = '001' And TipoPedido = 'P' And CodPedido = '00000999';
rollback;

-- @check agreement entries of 001/00000101/P
-- @rows 2
Select ConvEnceFat.Convenio, ConvEnceFat.Matricula, ConvEnceFat.Conveniado, ConvEnceFat.Valor From ConvEnceFat Inner Join CartCon On CartCon.codigo = ConvEnceFat.convenio Where ConvEnceFat.CodEmpresa = '001' And ConvEnceFat.TipoPedido = 'P' And ConvEnceFat.CodPedido = '00000101';

-- @check agreement entries of 001/00000102/P: code 55 has no CartCon row
-- @rows 5
-- @expect CONVENIO 15
-- @expect CONVENIO 20
-- @expect CONVENIO 21
Select ConvEnceFat.Convenio, ConvEnceFat.Matricula, ConvEnceFat.Conveniado, ConvEnceFat.Valor From ConvEnceFat Inner Join CartCon On CartCon.codigo = ConvEnceFat.convenio Where ConvEnceFat.CodEmpresa = '001' And ConvEnceFat.TipoPedido = 'P' And ConvEnceFat.CodPedido = '00000102';

-- @check agreement entries of 002/00000201/P
-- @rows 1
Select ConvEnceFat.Convenio, ConvEnceFat.Matricula, ConvEnceFat.Conveniado, ConvEnceFat.Valor From ConvEnceFat Inner Join CartCon On CartCon.codigo = ConvEnceFat.convenio Where ConvEnceFat.CodEmpresa = '002' And ConvEnceFat.TipoPedido = 'P' And ConvEnceFat.CodPedido = '00000201';

-- @check agreement entries of 001/00000103/P: none
-- @rows 0
Select ConvEnceFat.Convenio, ConvEnceFat.Matricula, ConvEnceFat.Conveniado, ConvEnceFat.Valor From ConvEnceFat Inner Join CartCon On CartCon.codigo = ConvEnceFat.convenio Where ConvEnceFat.CodEmpresa = '001' And ConvEnceFat.TipoPedido = 'P' And ConvEnceFat.CodPedido = '00000103';

-- @check agreement 0007 for company 001
-- @rows 1
-- @expect CODPRAZO 5
-- @expect DIAVENCIMENTO <null>
select cartcon.codigo, cartcon.nome, case when cartconcompl.txcontrato is not null then cartconcompl.txcontrato else cartcon.percdesc end as percdesc, cartcon.codcliente, cartcon.codprazo, cartcon.diavencimento, cartcon.contacxa, cartcon.cartaodebito from cartcon left join cartconcompl on(cartconcompl.codigo = cartcon.codigo and cartconcompl.codempresa = '001') where cartcon.codigo = '0007' and (cartcon.desativado <> "S" or cartcon.desativado is null);

-- @check agreement 0012 for company 001: contract rate
-- @rows 1
-- @expect PERCDESC 3.50
select cartcon.codigo, cartcon.nome, case when cartconcompl.txcontrato is not null then cartconcompl.txcontrato else cartcon.percdesc end as percdesc, cartcon.codcliente, cartcon.codprazo, cartcon.diavencimento, cartcon.contacxa, cartcon.cartaodebito from cartcon left join cartconcompl on(cartconcompl.codigo = cartcon.codigo and cartconcompl.codempresa = '001') where cartcon.codigo = '0012' and (cartcon.desativado <> "S" or cartcon.desativado is null);

-- @check agreement 0012 for company 002: own rate
-- @rows 1
-- @expect PERCDESC 5.00
select cartcon.codigo, cartcon.nome, case when cartconcompl.txcontrato is not null then cartconcompl.txcontrato else cartcon.percdesc end as percdesc, cartcon.codcliente, cartcon.codprazo, cartcon.diavencimento, cartcon.contacxa, cartcon.cartaodebito from cartcon left join cartconcompl on(cartconcompl.codigo = cartcon.codigo and cartconcompl.codempresa = '002') where cartcon.codigo = '0012' and (cartcon.desativado <> "S" or cartcon.desativado is null);

-- @check agreement 0015: deactivated
-- @rows 0
select cartcon.codigo, cartcon.nome, case when cartconcompl.txcontrato is not null then cartconcompl.txcontrato else cartcon.percdesc end as percdesc, cartcon.codcliente, cartcon.codprazo, cartcon.diavencimento, cartcon.contacxa, cartcon.cartaodebito from cartcon left join cartconcompl on(cartconcompl.codigo = cartcon.codigo and cartconcompl.codempresa = '001') where cartcon.codigo = '0015' and (cartcon.desativado <> "S" or cartcon.desativado is null);

-- @check agreement 0020: no condition
-- @rows 1
-- @expect CODPRAZO <null>
select cartcon.codigo, cartcon.nome, case when cartconcompl.txcontrato is not null then cartconcompl.txcontrato else cartcon.percdesc end as percdesc, cartcon.codcliente, cartcon.codprazo, cartcon.diavencimento, cartcon.contacxa, cartcon.cartaodebito from cartcon left join cartconcompl on(cartconcompl.codigo = cartcon.codigo and cartconcompl.codempresa = '001') where cartcon.codigo = '0020' and (cartcon.desativado <> "S" or cartcon.desativado is null);

-- @check agreement 0021: condition 099
-- @rows 1
-- @expect CODPRAZO 099
-- @expect CARTAODEBITO S
select cartcon.codigo, cartcon.nome, case when cartconcompl.txcontrato is not null then cartconcompl.txcontrato else cartcon.percdesc end as percdesc, cartcon.codcliente, cartcon.codprazo, cartcon.diavencimento, cartcon.contacxa, cartcon.cartaodebito from cartcon left join cartconcompl on(cartconcompl.codigo = cartcon.codigo and cartconcompl.codempresa = '001') where cartcon.codigo = '0021' and (cartcon.desativado <> "S" or cartcon.desativado is null);

-- @check payment condition 005
-- @rows 1
-- @expect PRAZO3 90
-- @expect PERCENT3 33.34
-- @expect NUMPARCELAS 3
Select * From Condpag Where CodPrazo = '005';

-- @check payment condition 010
-- @rows 1
-- @expect PRAZO5 <null>
-- @expect PERCENT5 <null>
-- @expect VENCERNODIA 10
-- @expect CARENCIA 5
Select * From Condpag Where CodPrazo = '010';

-- @check payment condition 099: missing
-- @rows 0
Select * From Condpag Where CodPrazo = '099';

-- @check financings of 001/00000101/P
-- @rows 1
-- @expect CODPLANO 0010
-- @expect TAC 15.00
-- @expect CODCLIENTE 000123
select financiamento.codfinanceira, financiamento.codplano, financiamento.valorfinanciado, financiamento.valormensalidade, financiamento.descformapgto, planosfinanc.tac, financiamento.segurofinanciamento, planosfinanc.tacloja, pedidoc.codcliente From Financiamento Inner Join PlanosFinanc On PlanosFinanc.CodFinanceira = Financiamento.CodFinanceira And PlanosFinanc.DescFormaPgto = Financiamento.DescFormaPgto And PlanosFinanc.CodPlano = Financiamento.CodPlano left join pedidoc on (pedidoc.codempresa = financiamento.codempresa and pedidoc.codpedido = financiamento.codvenda and pedidoc.tipopedido = financiamento.tipovenda) Where Financiamento.CodEmpresa = '001' And Financiamento.CodVenda = '00000101' And Financiamento.TipoVenda = 'P' And Coalesce(PedidoC.Faturado,"N") <> "X" order by pedidoc.codcliente;

-- @check financings of 001/00000102/P: the one without plan is left out
-- @rows 3
-- @expect CODFINANCEIRA 0099
-- @expect CODPLANO 0012
select financiamento.codfinanceira, financiamento.codplano, financiamento.valorfinanciado, financiamento.valormensalidade, financiamento.descformapgto, planosfinanc.tac, financiamento.segurofinanciamento, planosfinanc.tacloja, pedidoc.codcliente From Financiamento Inner Join PlanosFinanc On PlanosFinanc.CodFinanceira = Financiamento.CodFinanceira And PlanosFinanc.DescFormaPgto = Financiamento.DescFormaPgto And PlanosFinanc.CodPlano = Financiamento.CodPlano left join pedidoc on (pedidoc.codempresa = financiamento.codempresa and pedidoc.codpedido = financiamento.codvenda and pedidoc.tipopedido = financiamento.tipovenda) Where Financiamento.CodEmpresa = '001' And Financiamento.CodVenda = '00000102' And Financiamento.TipoVenda = 'P' And Coalesce(PedidoC.Faturado,"N") <> "X" order by pedidoc.codcliente;

-- @check financings of 001/00000103/P: invoiced
-- @rows 0
select financiamento.codfinanceira, financiamento.codplano, financiamento.valorfinanciado, financiamento.valormensalidade, financiamento.descformapgto, planosfinanc.tac, financiamento.segurofinanciamento, planosfinanc.tacloja, pedidoc.codcliente From Financiamento Inner Join PlanosFinanc On PlanosFinanc.CodFinanceira = Financiamento.CodFinanceira And PlanosFinanc.DescFormaPgto = Financiamento.DescFormaPgto And PlanosFinanc.CodPlano = Financiamento.CodPlano left join pedidoc on (pedidoc.codempresa = financiamento.codempresa and pedidoc.codpedido = financiamento.codvenda and pedidoc.tipopedido = financiamento.tipovenda) Where Financiamento.CodEmpresa = '001' And Financiamento.CodVenda = '00000103' And Financiamento.TipoVenda = 'P' And Coalesce(PedidoC.Faturado,"N") <> "X" order by pedidoc.codcliente;

-- @check financings of 001/00000199/P: no order row
-- @rows 1
-- @expect CODCLIENTE <null>
select financiamento.codfinanceira, financiamento.codplano, financiamento.valorfinanciado, financiamento.valormensalidade, financiamento.descformapgto, planosfinanc.tac, financiamento.segurofinanciamento, planosfinanc.tacloja, pedidoc.codcliente From Financiamento Inner Join PlanosFinanc On PlanosFinanc.CodFinanceira = Financiamento.CodFinanceira And PlanosFinanc.DescFormaPgto = Financiamento.DescFormaPgto And PlanosFinanc.CodPlano = Financiamento.CodPlano left join pedidoc on (pedidoc.codempresa = financiamento.codempresa and pedidoc.codpedido = financiamento.codvenda and pedidoc.tipopedido = financiamento.tipovenda) Where Financiamento.CodEmpresa = '001' And Financiamento.CodVenda = '00000199' And Financiamento.TipoVenda = 'P' And Coalesce(PedidoC.Faturado,"N") <> "X" order by pedidoc.codcliente;

-- @check finance company 0001
-- @rows 1
-- @expect DIASCOMPENSACAO 30
SELECT CODFINANCEIRA, DESCRICAO, ENDERECO, TELEFONE, VENDESEMENTRADA, CONTATO, GERACXA, GERAREC, CODEMPRESACXA, CODEMPRESAREC, CODCLIENTE, LIMITEAJUSTEPARCELA, DIASCOMPENSACAO FROM FINANCEIRA WHERE CODFINANCEIRA = '0001';

-- @check finance company 0002
-- @rows 1
SELECT CODFINANCEIRA, DESCRICAO, ENDERECO, TELEFONE, VENDESEMENTRADA, CONTATO, GERACXA, GERAREC, CODEMPRESACXA, CODEMPRESAREC, CODCLIENTE, LIMITEAJUSTEPARCELA, DIASCOMPENSACAO FROM FINANCEIRA WHERE CODFINANCEIRA = '0002';

-- @check finance company 0099: missing
-- @rows 0
SELECT CODFINANCEIRA, DESCRICAO, ENDERECO, TELEFONE, VENDESEMENTRADA, CONTATO, GERACXA, GERAREC, CODEMPRESACXA, CODEMPRESAREC, CODCLIENTE, LIMITEAJUSTEPARCELA, DIASCOMPENSACAO FROM FINANCEIRA WHERE CODFINANCEIRA = '0099';

-- @check plans of 0001: "S" and NULL, not "N"
-- @rows 2
-- @expect ATIVO S
-- @expect ATIVO <null>
-- @expect COEFICIENTEMAIS120 0.144106
Select Codformapgto , Codplano , Descformapgto , Numparc , Coeficientemenos15 , Coeficientemenos10 , Coeficientemenos5 , Coeficiente00 , Coeficientemais5 , Coeficientemais10 , Coeficientemais15 , Coeficientemais20 , Coeficientemais25 , Coeficientemais30 , Coeficientemais35 , Coeficientemais40 , Coeficientemais45 , Coeficientemais50 , Coeficientemais55 , Coeficientemais60 , Coeficientemais65 , Coeficientemais70 , Coeficientemais75 , Coeficientemais80 , Coeficientemais85 , Coeficientemais90 , Coeficientemais95 , Coeficientemais100 , Coeficientemais105 , Coeficientemais110 , Coeficientemais115 , Coeficientemais120 , Segurofinanciamento , Taxacobrada , Ativo , Entrada , Taxaam , Taxaa , Tac , TaxaRetencao from PlanosFinanc Where CodFinanceira = '0001' And ((Ativo = "S") Or (Ativo Is Null)) Order By CodFormaPgto, Codplano;

-- @check plans of 0002
-- @rows 1
Select Codformapgto , Codplano , Descformapgto , Numparc , Coeficientemenos15 , Coeficientemenos10 , Coeficientemenos5 , Coeficiente00 , Coeficientemais5 , Coeficientemais10 , Coeficientemais15 , Coeficientemais20 , Coeficientemais25 , Coeficientemais30 , Coeficientemais35 , Coeficientemais40 , Coeficientemais45 , Coeficientemais50 , Coeficientemais55 , Coeficientemais60 , Coeficientemais65 , Coeficientemais70 , Coeficientemais75 , Coeficientemais80 , Coeficientemais85 , Coeficientemais90 , Coeficientemais95 , Coeficientemais100 , Coeficientemais105 , Coeficientemais110 , Coeficientemais115 , Coeficientemais120 , Segurofinanciamento , Taxacobrada , Ativo , Entrada , Taxaam , Taxaa , Tac , TaxaRetencao from PlanosFinanc Where CodFinanceira = '0002' And ((Ativo = "S") Or (Ativo Is Null)) Order By CodFormaPgto, Codplano;

-- @check plans of 0099
-- @rows 1
Select Codformapgto , Codplano , Descformapgto , Numparc , Coeficientemenos15 , Coeficientemenos10 , Coeficientemenos5 , Coeficiente00 , Coeficientemais5 , Coeficientemais10 , Coeficientemais15 , Coeficientemais20 , Coeficientemais25 , Coeficientemais30 , Coeficientemais35 , Coeficientemais40 , Coeficientemais45 , Coeficientemais50 , Coeficientemais55 , Coeficientemais60 , Coeficientemais65 , Coeficientemais70 , Coeficientemais75 , Coeficientemais80 , Coeficientemais85 , Coeficientemais90 , Coeficientemais95 , Coeficientemais100 , Coeficientemais105 , Coeficientemais110 , Coeficientemais115 , Coeficientemais120 , Segurofinanciamento , Taxacobrada , Ativo , Entrada , Taxaam , Taxaa , Tac , TaxaRetencao from PlanosFinanc Where CodFinanceira = '0099' And ((Ativo = "S") Or (Ativo Is Null)) Order By CodFormaPgto, Codplano;

-- @check plans of the empty code
-- @rows 0
Select Codformapgto , Codplano , Descformapgto , Numparc , Coeficientemenos15 , Coeficientemenos10 , Coeficientemenos5 , Coeficiente00 , Coeficientemais5 , Coeficientemais10 , Coeficientemais15 , Coeficientemais20 , Coeficientemais25 , Coeficientemais30 , Coeficientemais35 , Coeficientemais40 , Coeficientemais45 , Coeficientemais50 , Coeficientemais55 , Coeficientemais60 , Coeficientemais65 , Coeficientemais70 , Coeficientemais75 , Coeficientemais80 , Coeficientemais85 , Coeficientemais90 , Coeficientemais95 , Coeficientemais100 , Coeficientemais105 , Coeficientemais110 , Coeficientemais115 , Coeficientemais120 , Segurofinanciamento , Taxacobrada , Ativo , Entrada , Taxaam , Taxaa , Tac , TaxaRetencao from PlanosFinanc Where CodFinanceira = '' And ((Ativo = "S") Or (Ativo Is Null)) Order By CodFormaPgto, Codplano;
