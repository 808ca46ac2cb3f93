#!/usr/bin/env bash
# Calls one operation of the service for an order key and prints the
# document it returns, as the 8-bit (ISO-8859-1) bytes the document declares.
#
#   scripts/velmora-call.sh OPERATION CODEMPRESA CODPEDIDO TIPOPEDIDO [ini dir]
#   scripts/velmora-call.sh FRetornaPedido 001 00000101 P | iconv -f latin1
#
# OPERATION: FRetornaPedido, FRetornaPedidoItem, FRetornaColConvenios,
# FRetornaColFinancimentos, FAtualizaStatusPedido (prints true or false) or
# FVerificaAtividade (the key is then ignored).
#
# The executable runs as one CGI request (POST /soap/IVelmora, no header
# block) with FIREBIRD set to the build's Firebird root, and reads the
# caminhoBDQuindar.ini beside it. Without [ini dir] that is the build
# directory's own file; when it is missing it is written for the demo
# database (build/demo.fdb, made by scripts/demo-db.sh when missing). With
# [ini dir], a directory holding a caminhoBDQuindar.ini, the executable is
# copied there and runs from there, so its trace log is written there too.
#
# BUILD_DIR picks another build tree (absolute, or relative to the
# project). An empty document (nothing found, or a failure: see the trace
# log in log/ beside the executable) prints nothing and exits 0; a SOAP
# fault is shown on standard error and exits 1.
set -euo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
case "${BUILD_DIR:-build}" in
  /*) build="$BUILD_DIR" ;;
  *) build="$repo/${BUILD_DIR:-build}" ;;
esac

usage() {
  echo "usage: $0 OPERATION CODEMPRESA CODPEDIDO TIPOPEDIDO [ini dir]" >&2
  exit 2
}
[ $# -eq 4 ] || [ $# -eq 5 ] || usage
operation="$1"
case "$operation" in
  FRetornaPedido|FRetornaPedidoItem|FRetornaColConvenios|FRetornaColFinancimentos|FAtualizaStatusPedido) ;;
  FVerificaAtividade) ;;
  *) echo "$0: unknown operation $operation" >&2; usage ;;
esac
command -v php >/dev/null || { echo "$0: php not found (scripts/setup.sh installs it)" >&2; exit 1; }

exe="$build/velmora.cgi"
[ -x "$exe" ] || { echo "$0: $exe not found; build it first (cmake --build ${build#"$repo"/} --target velmora.cgi)" >&2; exit 1; }
firebird="$build/firebird"
[ -f "$firebird/firebird.conf" ] || { echo "$0: no Firebird root at $firebird (configure the build)" >&2; exit 1; }

if [ $# -eq 5 ]; then
  dir="$(cd "$5" && pwd)"
  [ -f "$dir/caminhoBDQuindar.ini" ] || { echo "$0: $dir has no caminhoBDQuindar.ini" >&2; exit 1; }
  if [ "$dir" != "$build" ]; then
    cp "$exe" "$dir/velmora.cgi"
    exe="$dir/velmora.cgi"
  fi
elif [ ! -f "$build/caminhoBDQuindar.ini" ]; then
  [ -f "$build/demo.fdb" ] || "$repo/scripts/demo-db.sh" "$build/demo.fdb" "$firebird" >&2
  printf '[DATABASE]\nCAMINHO=%s\nUSUARIO=SYSDBA\nSENHA=masterkey\n' "$build/demo.fdb" > "$build/caminhoBDQuindar.ini"
fi

# The key's texts arrive as the shell gives them (UTF-8 or plain ASCII) and
# go into the envelope escaped; the answer is decoded by PHP below.
export VELMORA_OPERATION="$operation" VELMORA_EMPRESA="$2" VELMORA_PEDIDO="$3" VELMORA_TIPO="$4"
export VELMORA_EXE="$exe" VELMORA_FIREBIRD="$firebird"
exec php -d display_errors=stderr -r '
$op = getenv("VELMORA_OPERATION");
$x = fn($s) => htmlspecialchars($s, ENT_XML1 | ENT_QUOTES, "UTF-8");
$key = $op === "FVerificaAtividade" ? "" :
  "<pChavePedido><CodEmpresa xsi:type=\"xsd:string\">" . $x(getenv("VELMORA_EMPRESA")) . "</CodEmpresa>" .
  "<CodPedido xsi:type=\"xsd:string\">" . $x(getenv("VELMORA_PEDIDO")) . "</CodPedido>" .
  "<TipoPedido xsi:type=\"xsd:string\">" . $x(getenv("VELMORA_TIPO")) . "</TipoPedido></pChavePedido>";
$body = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" .
  "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" " .
  "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" " .
  "xmlns:SOAP-ENC=\"http://schemas.xmlsoap.org/soap/encoding/\">" .
  "<SOAP-ENV:Body SOAP-ENV:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\">" .
  "<NS1:$op xmlns:NS1=\"urn:VelmoraIntf-IVelmora\">$key</NS1:$op></SOAP-ENV:Body></SOAP-ENV:Envelope>";

// One CGI request; SERVER_PROTOCOL stays unset, so only the body comes back.
$env = [
  "PATH" => "/usr/bin:/bin", "FIREBIRD" => getenv("VELMORA_FIREBIRD"),
  "REQUEST_METHOD" => "POST", "PATH_INFO" => "/soap/IVelmora", "SCRIPT_NAME" => "/velmora.cgi",
  "CONTENT_TYPE" => "text/xml; charset=utf-8", "CONTENT_LENGTH" => strlen($body),
  "HTTP_SOAPACTION" => "\"urn:VelmoraIntf-IVelmora#$op\"",
];
$p = proc_open([getenv("VELMORA_EXE")], [0 => ["pipe", "r"], 1 => ["pipe", "w"], 2 => STDERR], $pipes, null, $env);
if (!is_resource($p)) { fwrite(STDERR, "cannot start the executable\n"); exit(1); }
fwrite($pipes[0], $body);
fclose($pipes[0]);
$answer = stream_get_contents($pipes[1]);
fclose($pipes[1]);
$rc = proc_close($p);

if (preg_match("~<faultstring[^>]*>(.*?)</faultstring>~s", $answer, $m)) {
  fwrite(STDERR, "SOAP fault: " . html_entity_decode($m[1], ENT_XML1 | ENT_QUOTES, "UTF-8") . "\n");
  exit(1);
}
if ($rc !== 0 || !preg_match("~<return(?:\s[^>]*)?(?:/>|>(.*?)</return>)~s", $answer, $m)) {
  fwrite(STDERR, "unexpected answer (exit code $rc):\n$answer\n");
  exit(1);
}
$text = html_entity_decode($m[1] ?? "", ENT_XML1 | ENT_QUOTES, "UTF-8");

// Back to the 8-bit code page of the service (Windows-1252, whose five
// unassigned bytes travel as U+0081, U+008D, U+008F, U+0090 and U+009D).
$out = "";
foreach (preg_split("//u", $text, -1, PREG_SPLIT_NO_EMPTY) as $ch) {
  $cp = mb_ord_fallback($ch);
  if ($cp < 0x100 && ($cp < 0x80 || $cp >= 0xA0 || in_array($cp, [0x81, 0x8D, 0x8F, 0x90, 0x9D], true))) {
    $out .= chr($cp);
  } else {
    $b = @iconv("UTF-8", "CP1252", $ch);
    $out .= ($b === false || $b === "") ? "?" : $b;
  }
}
echo $out;
// A line break for the terminal only: piped, the bytes are the document.
if ($out !== "" && posix_isatty(STDOUT)) echo "\n";

function mb_ord_fallback(string $ch): int {
  $b = array_values(unpack("C*", $ch));
  $n = count($b);
  if ($n === 1) return $b[0];
  if ($n === 2) return (($b[0] & 0x1F) << 6) | ($b[1] & 0x3F);
  if ($n === 3) return (($b[0] & 0x0F) << 12) | (($b[1] & 0x3F) << 6) | ($b[2] & 0x3F);
  return (($b[0] & 0x07) << 18) | (($b[1] & 0x3F) << 12) | (($b[2] & 0x3F) << 6) | ($b[3] & 0x3F);
}
'
