/* What the two floor programs share: the order header statement as the
 * service sends it (its ":name" parameters as "?"), the read-only
 * transaction it runs in, the answer buffer, the failure exit, the key
 * fields of a request body, and the attach with the configuration beside
 * the executable. Included by one .c file each, which defines
 * cFloorName first. */
#include <ibase.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <unistd.h>

static const char cStatement[] =
    "select pedidoc.codempresa, pedidoc.tipopedido, pedidoc.codpedido, pedidoc.codcliente, cliente.nome, "
    "cliente.cgccpf, pedidoc.codvendedor, pedidoc.codvendedor2, pedidoc.datapedido, pedidoc.codprazo, "
    "pedidoc.descontoperc, pedidoc.descontovlr, pedidoc.faturado, pedidoc.vlracrescimo, pedidoc.totalpedido, "
    "pedidoc.statuspedido, pedidoc.conferido, pedidoc.codigomidia, pedidoc.desccredito, pedidoc.observacao1, "
    "pedidoc.numcupom, pedidoc.coodavimpfiscal, pedidoc.maquina, pedidoc.codpedidovenda, case when "
    "coalesce(pedidoc.descontotroca,0) > pedidoc.totalpedido then pedidoc.totalpedido else "
    "coalesce(pedidoc.descontotroca, 0) end as creditotroca, Coalesce((Select Sum(ConvEnceFat.Valor) as Total "
    "From ConvEnceFat Join CartCon on(cartcon.codigo = convencefat.convenio) where cartcon.tipo = '1' and "
    "convencefat.CodEmpresa = ? and convencefat.TipoPedido = ? and convencefat.CodPedido = ?),0) As VlrCartao, "
    "encefat.vlrreceber, (encefat.vlrcheque + Encefat.vlrchpredatado) as vlrcheques, Coalesce((Select "
    "Sum(ConvEnceFat.Valor) as Total From ConvEnceFat Join CartCon on(cartcon.codigo = convencefat.convenio) "
    "where cartcon.tipo = '2' and convencefat.CodEmpresa = ? and convencefat.TipoPedido = ? and "
    "convencefat.CodPedido = ?),0) As Vlrconvenio, encefat.vlrdinheiro, encefat.vlrfinanc, pedidoc.tipofrete, "
    "pedidoc.frete from pedidoc inner join cliente on(cliente.codcliente = pedidoc.codcliente) left join "
    "encefat on(encefat.codempresa = pedidoc.codempresa and encefat.tipopedido = pedidoc.tipopedido and "
    "encefat.codpedido = pedidoc.codpedido) where pedidoc.codempresa = ? and pedidoc.codpedido = ? and "
    "PedidoC.tipopedido = ?";

enum { cEmpresa, cPedido, cTipo };
/* Parameter order in the statement: the key field each "?" stands for. */
static const int cParams[9] = {cEmpresa, cTipo, cPedido, cEmpresa, cTipo, cPedido, cEmpresa, cPedido, cTipo};

static char gOut[65536];
static size_t gSize;

static void PPut(const char* p, size_t n) {
  if (gSize + n < sizeof gOut) {
    memcpy(gOut + gSize, p, n);
    gSize += n;
  }
}
static void PPuts(const char* p) { PPut(p, strlen(p)); }
static void PFail(const char* pWhat) {
  fprintf(stderr, "%s: %s\n", cFloorName, pWhat);
  _exit(1);
}

/* The database's message, or NULL when the call succeeded. */
static const char* FError(const ISC_STATUS* pStatus) {
  static char vText[512];
  if (!(pStatus[0] == 1 && pStatus[1])) return NULL;
  const ISC_STATUS* vCursor = pStatus;
  fb_interpret(vText, sizeof vText, &vCursor);
  return vText;
}

static void PCheck(const ISC_STATUS* pStatus) {
  const char* vError = FError(pStatus);
  if (vError) PFail(vError);
}

/* The text between <pName ...> and </pName> in the request body. */
static void PField(const char* pBody, const char* pName, char* pOut, size_t pSize) {
  char vOpen[64];
  snprintf(vOpen, sizeof vOpen, "<%s", pName);
  const char* s = strstr(pBody, vOpen);
  pOut[0] = 0;
  if (!s || !(s = strchr(s, '>'))) return;
  ++s;
  const char* e = strchr(s, '<');
  size_t n = e ? (size_t)(e - s) : 0;
  if (n >= pSize) n = pSize - 1;
  memcpy(pOut, s, n);
  pOut[n] = 0;
}

/* CAMINHO, USUARIO, SENHA of section DATABASE (the only section there). */
static void PReadIni(char* pCaminho, char* pUsuario, char* pSenha, size_t pSize) {
  char vPath[4096];
  const ssize_t n = readlink("/proc/self/exe", vPath, sizeof vPath - 64);
  if (n <= 0) PFail("no executable path");
  vPath[n] = 0;
  strcpy(strrchr(vPath, '/') + 1, "caminhoBDQuindar.ini");
  FILE* f = fopen(vPath, "r");
  if (!f) PFail("no caminhoBDQuindar.ini");
  char vLine[4096];
  while (fgets(vLine, sizeof vLine, f)) {
    vLine[strcspn(vLine, "\r\n")] = 0;
    char* vEq = strchr(vLine, '=');
    if (!vEq) continue;
    *vEq = 0;
    char* vTarget = !strcasecmp(vLine, "CAMINHO") ? pCaminho : !strcasecmp(vLine, "USUARIO") ? pUsuario
                  : !strcasecmp(vLine, "SENHA") ? pSenha : NULL;
    if (vTarget) snprintf(vTarget, pSize, "%s", vEq + 1);
  }
  fclose(f);
}

/* The read-only read-committed transaction of a reading statement. */
static const char cReadTpb[] = {isc_tpb_version3, isc_tpb_read, isc_tpb_read_committed, isc_tpb_rec_version,
                                isc_tpb_wait};

/* Attaches to the database the configuration names, as its user. */
static void PAttach(isc_db_handle* pDb) {
  char vCaminho[2048] = "", vUsuario[256] = "", vSenha[256] = "";
  PReadIni(vCaminho, vUsuario, vSenha, sizeof vUsuario);
  char vDpb[600];
  size_t d = 0;
  vDpb[d++] = isc_dpb_version1;
  vDpb[d++] = isc_dpb_user_name;
  vDpb[d++] = (char)strlen(vUsuario);
  memcpy(vDpb + d, vUsuario, strlen(vUsuario));
  d += strlen(vUsuario);
  vDpb[d++] = isc_dpb_password;
  vDpb[d++] = (char)strlen(vSenha);
  memcpy(vDpb + d, vSenha, strlen(vSenha));
  d += strlen(vSenha);
  ISC_STATUS_ARRAY st;
  isc_attach_database(st, 0, vCaminho, pDb, (short)d, vDpb);
  PCheck(st);
}
