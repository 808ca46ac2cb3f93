/* Warm floor for a request that reads one order: a FastCGI responder
 * (libfcgi, listening socket on standard input) that attaches to the
 * database once, prepares the order header statement once and then, per
 * request, takes the key from the SOAP body, runs the statement in a short
 * read-only transaction and answers FRetornaPedido with the document the
 * service writes ("Pedido": the same elements, value forms and escaping),
 * inside the same envelope and headers. It reads the caminhoBDQuindar.ini
 * beside its executable, like the service. No XML library, no log, no C++
 * runtime: what is left is the cost of a request to a process that is
 * already attached.
 *
 * With FLOOR_PREPARE_EACH=1 in its environment it prepares the statement
 * again in every request's transaction instead: the warm floor less the
 * statement kept prepared.
 *
 * A database error is answered with status 500 and ends the process: the
 * process manager starts a fresh one, attached anew. */
#include <fcgiapp.h>
#include <ibase.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <time.h>
#include <unistd.h>

static const char cFloorName[] = "fcgi-floor";
#include "floor.h"

/* How a column becomes element text: as it is, as an amount ("#0.000" with
 * a decimal comma, 0 when null), as a date (dd/mm/yyyy). */
enum TForm { cTexto, cValor, cData };

/* The elements of "Pedido" in document order; the six amounts between
 * cEnceFatFirst and cEnceFatLast sit in the child element "EnceFat". */
static const struct {
  const char* vElement;
  const char* vColumn;
  enum TForm vForm;
} cElements[] = {
    {"CodEmpresa", "codempresa", cTexto},       {"CodPedido", "codpedido", cTexto},
    {"TipoPedido", "tipopedido", cTexto},       {"CodCliente", "codcliente", cTexto},
    {"NomeCliente", "nome", cTexto},            {"CPFCNPJCli", "cgccpf", cTexto},
    {"CodVendedor", "codvendedor", cTexto},     {"CodVendedor2", "codvendedor2", cTexto},
    {"DescontoValor", "descontovlr", cValor},   {"DescontoPerc", "descontoperc", cValor},
    {"Acrescimo", "vlracrescimo", cValor},      {"TotalPedido", "totalpedido", cValor},
    {"DataPedido", "datapedido", cData},        {"CodPrazo", "codprazo", cTexto},
    {"Observacao", "observacao1", cTexto},      {"CodigoMidia", "codigomidia", cTexto},
    {"DescCredito", "desccredito", cValor},     {"CreditoTroca", "creditotroca", cValor},
    {"Faturado", "faturado", cTexto},           {"Vlrcartao", "vlrcartao", cValor},
    {"Vlrreceber", "vlrreceber", cValor},       {"Vlrcheques", "vlrcheques", cValor},
    {"Vlrconvenio", "vlrconvenio", cValor},     {"Vlrdinheiro", "vlrdinheiro", cValor},
    {"Vlrfinanc", "vlrfinanc", cValor},         {"COO", "numcupom", cTexto},
    {"COOImpFiscal", "coodavimpfiscal", cTexto}, {"NumECF", "maquina", cTexto},
    {"CodPedidoVenda", "codpedidovenda", cTexto}, {"StatusPedido", "statuspedido", cTexto},
    {"Conferido", "conferido", cTexto},         {"TipoFrete", "tipofrete", cTexto},
    {"Frete", "frete", cValor},
};
enum { cElementCount = sizeof cElements / sizeof cElements[0], cEnceFatFirst = 19, cEnceFatLast = 24 };
/* "Observacao" carries only the start of the observation (bytes as stored). */
enum { cTamanhoObservacao = 50 };

/* Text of the inner document (stored bytes are ISO-8859-1) inside the
 * envelope (UTF-8): escaped twice, each byte above 0x7F as two bytes. */
static void PPutEscaped(const char* p, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const unsigned char c = (unsigned char)p[i];
    switch (c) {
      case '&': PPuts("&amp;amp;"); break;
      case '<': PPuts("&amp;lt;"); break;
      case '>': PPuts("&amp;gt;"); break;
      case '\r': PPuts("&amp;#13;"); break;
      default:
        if (c < 0x80) {
          PPut(p + i, 1);
        } else {
          const char u[2] = {(char)(0xC0 | (c >> 6)), (char)(0x80 | (c & 0x3F))};
          PPut(u, 2);
        }
    }
  }
}

static isc_db_handle gDb;
static isc_stmt_handle gStmt;
static XSQLDA* gOutDa;
static XSQLDA* gInDa;
static char gKey[3][64];
static int gPrepareEach;
/* Output column of each element, found by name once the statement is prepared. */
static int gColumn[cElementCount];

static void PAttachAndPrepare(void) {
  PAttach(&gDb);
  ISC_STATUS_ARRAY st;
  isc_dsql_allocate_statement(st, &gDb, &gStmt);
  PCheck(st);

  /* A prepared statement outlives the transaction it was prepared in. */
  isc_tr_handle tr = 0;
  isc_start_transaction(st, &tr, 1, &gDb, (unsigned short)sizeof cReadTpb, cReadTpb);
  PCheck(st);
  gOutDa = (XSQLDA*)calloc(1, XSQLDA_LENGTH(40));
  gOutDa->version = SQLDA_VERSION1;
  gOutDa->sqln = 40;
  isc_dsql_prepare(st, &tr, &gStmt, 0, cStatement, 1, gOutDa);
  PCheck(st);
  isc_commit_transaction(st, &tr);
  PCheck(st);

  static short vInd[40];
  for (int i = 0; i < gOutDa->sqld; ++i) {
    XSQLVAR* v = &gOutDa->sqlvar[i];
    const int vSize = v->sqllen + (((v->sqltype & ~1) == SQL_VARYING) ? 2 : 0);
    v->sqldata = malloc((size_t)vSize + 8);
    v->sqlind = &vInd[i];
  }
  for (int e = 0; e < cElementCount; ++e) {
    gColumn[e] = -1;
    for (int i = 0; i < gOutDa->sqld; ++i) {
      const XSQLVAR* v = &gOutDa->sqlvar[i];
      if ((size_t)v->aliasname_length == strlen(cElements[e].vColumn) &&
          !strncasecmp(v->aliasname, cElements[e].vColumn, (size_t)v->aliasname_length))
        gColumn[e] = i;
    }
    if (gColumn[e] < 0) PFail(cElements[e].vColumn);
  }

  gInDa = (XSQLDA*)calloc(1, XSQLDA_LENGTH(9));
  gInDa->version = SQLDA_VERSION1;
  gInDa->sqln = gInDa->sqld = 9;
  static short vInInd[9];
  for (int i = 0; i < 9; ++i) {
    XSQLVAR* v = &gInDa->sqlvar[i];
    v->sqltype = SQL_TEXT | 1;
    v->sqldata = gKey[cParams[i]];
    v->sqlind = &vInInd[i];
  }
}

/* The column's text in the form of its element. Text columns are taken as
 * stored; numbers as integers unless the element is an amount; a null is
 * empty text, a zero amount or the zero date. */
static int FColumnText(const XSQLVAR* v, enum TForm pForm, char* pText, size_t pSize) {
  const int vNull = *v->sqlind < 0;
  double vNumber = 0;
  if (!vNull) {
    switch (v->sqltype & ~1) {
      case SQL_TEXT: return snprintf(pText, pSize, "%.*s", v->sqllen, v->sqldata);
      case SQL_VARYING: return snprintf(pText, pSize, "%.*s", *(short*)v->sqldata, v->sqldata + 2);
      case SQL_TIMESTAMP: {
        struct tm t;
        isc_decode_timestamp((ISC_TIMESTAMP*)v->sqldata, &t);
        return snprintf(pText, pSize, "%02d/%02d/%04d", t.tm_mday, t.tm_mon + 1, t.tm_year + 1900);
      }
      case SQL_SHORT: vNumber = *(short*)v->sqldata; break;
      case SQL_LONG: vNumber = *(int*)v->sqldata; break;
      case SQL_INT64: vNumber = (double)*(ISC_INT64*)v->sqldata; break;
      /* An exact numeric of SQL dialect 1 is stored as a double that is
       * already the value; its scale only tells the declaration. */
      case SQL_DOUBLE: vNumber = *(double*)v->sqldata; break;
      default: return 0;
    }
    if ((v->sqltype & ~1) != SQL_DOUBLE)
      for (int s = v->sqlscale; s < 0; ++s) vNumber /= 10;
  }
  switch (pForm) {
    case cValor: {
      const int n = snprintf(pText, pSize, "%.3f", vNumber);
      char* vPoint = strchr(pText, '.');
      if (vPoint) *vPoint = ',';
      return n;
    }
    case cData: return snprintf(pText, pSize, "30/12/1899");
    case cTexto: break;
  }
  return vNull ? 0 : snprintf(pText, pSize, "%.0f", vNumber);
}

static void PElement(const char* pName, const char* pText, size_t n) {
  PPuts("&lt;");
  PPuts(pName);
  PPuts("&gt;");
  PPutEscaped(pText, n);
  PPuts("&lt;/");
  PPuts(pName);
  PPuts("&gt;");
}

/* Runs the statement for gKey and writes the envelope into gOut; NULL, or
 * the database's message. */
static const char* FAnswer(void) {
  ISC_STATUS_ARRAY st;
  isc_tr_handle tr = 0;
  const char* vError;
  for (int i = 0; i < 9; ++i) gInDa->sqlvar[i].sqllen = (short)strlen(gKey[cParams[i]]);
  isc_start_transaction(st, &tr, 1, &gDb, (unsigned short)sizeof cReadTpb, cReadTpb);
  if ((vError = FError(st))) return vError;
  if (gPrepareEach) {
    /* The description written again is the same; the buffers stay. */
    isc_dsql_prepare(st, &tr, &gStmt, 0, cStatement, 1, gOutDa);
    if ((vError = FError(st))) return vError;
  }
  isc_dsql_execute(st, &tr, &gStmt, SQLDA_VERSION1, gInDa);
  if ((vError = FError(st))) return vError;

  gSize = 0;
  PPuts("<?xml version=\"1.0\"?><SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
        "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
        "xmlns:SOAP-ENC=\"http://schemas.xmlsoap.org/soap/encoding/\"><SOAP-ENV:Body "
        "SOAP-ENV:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\"><NS1:FRetornaPedidoResponse "
        "xmlns:NS1=\"urn:VelmoraIntf-IVelmora\"><return xsi:type=\"xsd:string\"");
  /* An order that is not there is an empty string: an empty element. */
  const ISC_STATUS vFetch = isc_dsql_fetch(st, &gStmt, SQLDA_VERSION1, gOutDa);
  PPuts(vFetch == 0 ? ">" : "/>");
  if (vFetch == 0) {
    PPuts("&lt;?xml version=\"1.0\" encoding=\"ISO-8859-1\"?&gt;&lt;Pedido&gt;");
    for (int e = 0; e < cElementCount; ++e) {
      char vText[512];
      int n = FColumnText(&gOutDa->sqlvar[gColumn[e]], cElements[e].vForm, vText, sizeof vText);
      if (n < 0) n = 0;
      if (n >= (int)sizeof vText) n = sizeof vText - 1;
      if (!strcmp(cElements[e].vElement, "Observacao") && n > cTamanhoObservacao) n = cTamanhoObservacao;
      if (e == cEnceFatFirst) PPuts("&lt;EnceFat&gt;");
      PElement(cElements[e].vElement, vText, (size_t)n);
      if (e == cEnceFatLast) PPuts("&lt;/EnceFat&gt;");
    }
    PPuts("&lt;/Pedido&gt;</return>");
  } else if (vFetch != 100 && (vError = FError(st))) {
    return vError;
  }
  PPuts("</NS1:FRetornaPedidoResponse></SOAP-ENV:Body></SOAP-ENV:Envelope>");
  isc_dsql_free_statement(st, &gStmt, DSQL_close);
  if ((vError = FError(st))) return vError;
  isc_commit_transaction(st, &tr);
  return FError(st);
}

/* The process manager ends its workers with SIGTERM. The client library
 * installs its own handler on attach (with SA_RESTART, so a waiting accept
 * would never return): ours replaces it and ends the process at once; the
 * floor holds no state worth finishing. */
static void POnStop(int pSignal) {
  (void)pSignal;
  _exit(0);
}

int main(void) {
  gPrepareEach = getenv("FLOOR_PREPARE_EACH") != NULL && strcmp(getenv("FLOOR_PREPARE_EACH"), "1") == 0;
  PAttachAndPrepare();
  signal(SIGTERM, POnStop);
  signal(SIGINT, POnStop);
  if (FCGX_Init() != 0) PFail("FCGX_Init");
  FCGX_Request vRequest;
  if (FCGX_InitRequest(&vRequest, 0, 0) != 0) PFail("FCGX_InitRequest");
  static char vBody[65536];
  while (FCGX_Accept_r(&vRequest) >= 0) {
    const char* vLengthText = FCGX_GetParam("CONTENT_LENGTH", vRequest.envp);
    long vLeft = vLengthText ? strtol(vLengthText, NULL, 10) : 0;
    if (vLeft > (long)sizeof vBody - 1) vLeft = (long)sizeof vBody - 1;
    const int vRead = vLeft > 0 ? FCGX_GetStr(vBody, (int)vLeft, vRequest.in) : 0;
    vBody[vRead > 0 ? vRead : 0] = 0;

    PField(vBody, "CodEmpresa", gKey[cEmpresa], sizeof gKey[0]);
    PField(vBody, "CodPedido", gKey[cPedido], sizeof gKey[0]);
    PField(vBody, "TipoPedido", gKey[cTipo], sizeof gKey[0]);
    /* The order code reaches the statement zero-filled to 8. */
    const size_t vLen = strlen(gKey[cPedido]);
    if (vLen < 8) {
      memmove(gKey[cPedido] + 8 - vLen, gKey[cPedido], vLen + 1);
      memset(gKey[cPedido], '0', 8 - vLen);
    }

    const char* vError = FAnswer();
    if (vError) {
      FCGX_FPrintF(vRequest.out, "Status: 500 Internal Server Error\r\nContent-Type: text/plain\r\n\r\n%s\n", vError);
      FCGX_Finish_r(&vRequest);
      PFail(vError);
    }
    /* libfcgi's own printf knows no %zu. */
    char vHead[128];
    const int h = snprintf(vHead, sizeof vHead,
                           "Status: 200 OK\r\nContent-Type: text/xml\r\nContent-Length: %zu\r\nContent:\r\n\r\n", gSize);
    FCGX_PutStr(vHead, h, vRequest.out);
    FCGX_PutStr(gOut, (int)gSize, vRequest.out);
    FCGX_Finish_r(&vRequest);
  }
  return 0;
}
