<?php
// A counter's SOAP client without the WSDL: calls FVerificaAtividade and
// FRetornaPedido on the service at argv[1] and prints each result,
// base64-encoded so the test sees the exact bytes PHP got back.
//   php soap-rpc-client.php BASE_URL CODEMPRESA CODPEDIDO TIPOPEDIDO
$base = $argv[1];
$client = new SoapClient(null, [
    'location' => $base . '/soap/IVelmora',
    'uri' => 'urn:VelmoraIntf-IVelmora',
    'style' => SOAP_RPC,
    'use' => SOAP_ENCODED,
    'exceptions' => true,
    'connection_timeout' => 10,
]);
$action = function ($op) { return ['soapaction' => 'urn:VelmoraIntf-IVelmora#' . $op]; };

$alive = $client->__soapCall('FVerificaAtividade', [], $action('FVerificaAtividade'));
echo 'FVerificaAtividade=', var_export($alive, true), "\n";

$key = new SoapVar([
    new SoapVar($argv[2], XSD_STRING, null, null, 'CodEmpresa'),
    new SoapVar($argv[3], XSD_STRING, null, null, 'CodPedido'),
    new SoapVar($argv[4], XSD_STRING, null, null, 'TipoPedido'),
], SOAP_ENC_OBJECT, 'TChavePedido', 'urn:uClassChavePedido');
$doc = $client->__soapCall('FRetornaPedido', [new SoapParam($key, 'pChavePedido')], $action('FRetornaPedido'));
echo 'FRetornaPedido=', base64_encode($doc), "\n";
