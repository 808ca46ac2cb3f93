<?php
// A real SOAP client in WSDL mode: loads the service's WSDL documents and
// calls every operation through the proxies PHP builds from them.
//
//   php wsdl_clients.php <base URL, e.g. http://127.0.0.1:8080/velmora.cgi>
//
// Prints one block per call, "=== <operation>" and the result on the next
// line (booleans as true/false, lists joined with ","); a SOAP fault or a
// WSDL PHP cannot use ends the script with exit code 1 and the reason.
if ($argc != 2) {
    fwrite(STDERR, "usage: php wsdl_clients.php <base URL>\n");
    exit(2);
}
$base = $argv[1];
$options = ['cache_wsdl' => WSDL_CACHE_NONE, 'exceptions' => true, 'trace' => true];

function show($name, $value) {
    if (is_bool($value)) $value = $value ? 'true' : 'false';
    if (is_array($value)) $value = implode(',', $value);
    echo "=== $name\n$value\n";
}

try {
    $velmora = new SoapClient("$base/wsdl/IVelmora", $options);
    $key = ['CodEmpresa' => '001', 'CodPedido' => '00000101', 'TipoPedido' => 'P'];
    show('FVerificaAtividade', $velmora->FVerificaAtividade());
    show('FRetornaPedido', $velmora->FRetornaPedido($key));
    show('FRetornaPedidoItem', $velmora->FRetornaPedidoItem($key));
    show('FRetornaColConvenios', $velmora->FRetornaColConvenios($key));
    show('FRetornaColFinancimentos', $velmora->FRetornaColFinancimentos($key));
    // The demo's open order that may be marked invoiced.
    show('FAtualizaStatusPedido', $velmora->FAtualizaStatusPedido(
        ['CodEmpresa' => '001', 'CodPedido' => '00000104', 'TipoPedido' => 'P']));

    $publish = new SoapClient("$base/wsdl/IWSDLPublish", $options);
    show('GetPortTypeList', $publish->GetPortTypeList());
    show('GetTypeSystemsList', $publish->GetTypeSystemsList());
    $wsdl = $publish->GetWSDLForPortType('IVelmora');
    // Only the soap extension is at hand here, so the name is picked out by pattern.
    show('GetWSDLForPortType', preg_match('/^<\?xml [^>]*\?>\s*<definitions [^>]*\bname="([^"]+)"/', $wsdl, $m)
        ? 'definitions ' . $m[1] : 'unreadable');
    show('GetXSDForTypeSystem', str_replace("\n", ' ', $publish->GetXSDForTypeSystem('urn:uClassChavePedido')));
} catch (SoapFault $e) {
    fwrite(STDERR, "SoapFault: {$e->faultcode}: {$e->getMessage()}\n");
    if (isset($velmora) && $velmora->__getLastResponse()) fwrite(STDERR, $velmora->__getLastResponse() . "\n");
    exit(1);
} catch (Throwable $e) {
    fwrite(STDERR, get_class($e) . ': ' . $e->getMessage() . "\n");
    exit(1);
}
