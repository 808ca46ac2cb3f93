<?php
// The peer a store would otherwise pick: FRetornaPedido with PHP's
// SoapServer, in WSDL mode over the service's own WSDL (saved beside this
// script as IVelmora.wsdl, its location pointing here), the order header
// read through a persistent PDO Firebird connection. The database comes
// from the caminhoBDQuindar.ini beside the script, like the service's.
// Served by php-fpm (bench/fastcgi.sh). The other operations of the WSDL
// are not implemented: a call to one of them is answered with a fault.

const STATEMENT = "select pedidoc.codempresa, pedidoc.tipopedido, pedidoc.codpedido, pedidoc.codcliente, cliente.nome, "
  . "cliente.cgccpf, pedidoc.codvendedor, pedidoc.codvendedor2, pedidoc.datapedido, pedidoc.codprazo, "
  . "pedidoc.descontoperc, pedidoc.descontovlr, pedidoc.faturado, pedidoc.vlracrescimo, pedidoc.totalpedido, "
  . "pedidoc.statuspedido, pedidoc.conferido, pedidoc.codigomidia, pedidoc.desccredito, pedidoc.observacao1, "
  . "pedidoc.numcupom, pedidoc.coodavimpfiscal, pedidoc.maquina, pedidoc.codpedidovenda, case when "
  . "coalesce(pedidoc.descontotroca,0) > pedidoc.totalpedido then pedidoc.totalpedido else "
  . "coalesce(pedidoc.descontotroca, 0) end as creditotroca, Coalesce((Select Sum(ConvEnceFat.Valor) as Total "
  . "From ConvEnceFat Join CartCon on(cartcon.codigo = convencefat.convenio) where cartcon.tipo = '1' and "
  . "convencefat.CodEmpresa = ? and convencefat.TipoPedido = ? and convencefat.CodPedido = ?),0) As VlrCartao, "
  . "encefat.vlrreceber, (encefat.vlrcheque + Encefat.vlrchpredatado) as vlrcheques, Coalesce((Select "
  . "Sum(ConvEnceFat.Valor) as Total From ConvEnceFat Join CartCon on(cartcon.codigo = convencefat.convenio) "
  . "where cartcon.tipo = '2' and convencefat.CodEmpresa = ? and convencefat.TipoPedido = ? and "
  . "convencefat.CodPedido = ?),0) As Vlrconvenio, encefat.vlrdinheiro, encefat.vlrfinanc, pedidoc.tipofrete, "
  . "pedidoc.frete from pedidoc inner join cliente on(cliente.codcliente = pedidoc.codcliente) left join "
  . "encefat on(encefat.codempresa = pedidoc.codempresa and encefat.tipopedido = pedidoc.tipopedido and "
  . "encefat.codpedido = pedidoc.codpedido) where pedidoc.codempresa = ? and pedidoc.codpedido = ? and "
  . "PedidoC.tipopedido = ?";

// Elements of "Pedido" in document order: column and form (t text, v
// amount "#0.000" with a decimal comma, d date dd/mm/yyyy); "EnceFat"
// holds the six amounts of the settlement.
const PEDIDO = [
  'CodEmpresa' => ['CODEMPRESA', 't'], 'CodPedido' => ['CODPEDIDO', 't'], 'TipoPedido' => ['TIPOPEDIDO', 't'],
  'CodCliente' => ['CODCLIENTE', 't'], 'NomeCliente' => ['NOME', 't'], 'CPFCNPJCli' => ['CGCCPF', 't'],
  'CodVendedor' => ['CODVENDEDOR', 't'], 'CodVendedor2' => ['CODVENDEDOR2', 't'],
  'DescontoValor' => ['DESCONTOVLR', 'v'], 'DescontoPerc' => ['DESCONTOPERC', 'v'],
  'Acrescimo' => ['VLRACRESCIMO', 'v'], 'TotalPedido' => ['TOTALPEDIDO', 'v'], 'DataPedido' => ['DATAPEDIDO', 'd'],
  'CodPrazo' => ['CODPRAZO', 't'], 'Observacao' => ['OBSERVACAO1', 't'], 'CodigoMidia' => ['CODIGOMIDIA', 't'],
  'DescCredito' => ['DESCCREDITO', 'v'], 'CreditoTroca' => ['CREDITOTROCA', 'v'], 'Faturado' => ['FATURADO', 't'],
  'EnceFat' => [
    'Vlrcartao' => ['VLRCARTAO', 'v'], 'Vlrreceber' => ['VLRRECEBER', 'v'], 'Vlrcheques' => ['VLRCHEQUES', 'v'],
    'Vlrconvenio' => ['VLRCONVENIO', 'v'], 'Vlrdinheiro' => ['VLRDINHEIRO', 'v'], 'Vlrfinanc' => ['VLRFINANC', 'v'],
  ],
  'COO' => ['NUMCUPOM', 't'], 'COOImpFiscal' => ['COODAVIMPFISCAL', 't'], 'NumECF' => ['MAQUINA', 't'],
  'CodPedidoVenda' => ['CODPEDIDOVENDA', 't'], 'StatusPedido' => ['STATUSPEDIDO', 't'],
  'Conferido' => ['CONFERIDO', 't'], 'TipoFrete' => ['TIPOFRETE', 't'], 'Frete' => ['FRETE', 'v'],
];

function connection(): PDO {
  $ini = parse_ini_file(__DIR__ . '/caminhoBDQuindar.ini', true, INI_SCANNER_RAW)['DATABASE'];
  $db = new PDO('firebird:dbname=' . $ini['CAMINHO'] . ';charset=NONE;dialect=1', $ini['USUARIO'], $ini['SENHA'],
                [PDO::ATTR_PERSISTENT => true, PDO::ATTR_ERRMODE => PDO::ERRMODE_EXCEPTION]);
  return $db;
}

function form($value, string $form): string {
  switch ($form) {
    case 'v': return number_format((float)$value, 3, ',', '');
    case 'd': return $value === null ? '30/12/1899'
                                     : substr($value, 8, 2) . '/' . substr($value, 5, 2) . '/' . substr($value, 0, 4);
  }
  return $value === null ? '' : (string)$value;
}

// The elements as text; values are ISO-8859-1 bytes, as stored.
function elements(array $elements, array $row): string {
  $xml = '';
  foreach ($elements as $name => $source) {
    if (!isset($source[1]) || !is_string($source[1])) {
      $text = elements($source, $row);
    } else {
      $text = form($row[$source[0]], $source[1]);
      if ($name === 'Observacao') $text = substr($text, 0, 50);
      $text = htmlspecialchars($text, ENT_XML1 | ENT_NOQUOTES, 'ISO-8859-1');
    }
    $xml .= "<$name>$text</$name>";
  }
  return $xml;
}

class TVelmora {
  public function FRetornaPedido($pChavePedido) {
    $empresa = (string)$pChavePedido->CodEmpresa;
    $pedido = str_pad((string)$pChavePedido->CodPedido, 8, '0', STR_PAD_LEFT);
    $tipo = (string)$pChavePedido->TipoPedido;
    $query = connection()->prepare(STATEMENT);
    $query->execute([$empresa, $tipo, $pedido, $empresa, $tipo, $pedido, $empresa, $pedido, $tipo]);
    $row = $query->fetch(PDO::FETCH_ASSOC);
    $query->closeCursor();
    if ($row === false) return '';
    return '<?xml version="1.0" encoding="ISO-8859-1"?><Pedido>' . elements(PEDIDO, $row) . '</Pedido>';
  }
}

// The strings handed to SoapServer are ISO-8859-1, as stored; it writes UTF-8.
$server = new SoapServer(__DIR__ . '/IVelmora.wsdl', ['encoding' => 'ISO-8859-1', 'cache_wsdl' => WSDL_CACHE_MEMORY]);
$server->setClass('TVelmora');
$server->handle();
