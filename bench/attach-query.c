/* Floor for a request that reads one order: a CGI that attaches to the same
 * database with the Firebird client, runs the order header statement for
 * the key in its request (parameters passed as text, SQL dialect 1), writes
 * a fixed-shape answer, detaches and ends at once with _exit(0). It reads
 * the same caminhoBDQuindar.ini beside its executable. No XML library, no
 * log, no C++ runtime: what is left is the physical cost of the request. */
#include <ibase.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static const char cFloorName[] = "attach-query";
#include "floor.h"

/* Text inside the escaped document inside the envelope. */
static void PPutEscaped(const char* p, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    switch (p[i]) {
      case '&': PPuts("&amp;amp;"); break;
      case '<': PPuts("&amp;lt;"); break;
      case '>': PPuts("&amp;gt;"); break;
      default: PPut(p + i, 1);
    }
  }
}

int main(void) {
  static char vBody[65536];
  const char* vLengthText = getenv("CONTENT_LENGTH");
  long vLeft = vLengthText ? strtol(vLengthText, NULL, 10) : 0;
  size_t vRead = 0;
  while (vLeft > 0 && vRead < sizeof vBody - 1) {
    const ssize_t n = read(0, vBody + vRead, sizeof vBody - 1 - vRead);
    if (n <= 0) break;
    vRead += (size_t)n;
    vLeft -= n;
  }
  vBody[vRead] = 0;

  char vKey[3][64];
  PField(vBody, "CodEmpresa", vKey[cEmpresa], sizeof vKey[0]);
  PField(vBody, "CodPedido", vKey[cPedido], sizeof vKey[0]);
  PField(vBody, "TipoPedido", vKey[cTipo], sizeof vKey[0]);
  /* The order code reaches the statement zero-filled to 8. */
  size_t vLen = strlen(vKey[cPedido]);
  if (vLen < 8) {
    memmove(vKey[cPedido] + 8 - vLen, vKey[cPedido], vLen + 1);
    memset(vKey[cPedido], '0', 8 - vLen);
  }

  ISC_STATUS_ARRAY st;
  isc_db_handle db = 0;
  isc_tr_handle tr = 0;
  isc_stmt_handle stmt = 0;
  PAttach(&db);
  isc_start_transaction(st, &tr, 1, &db, (unsigned short)sizeof cReadTpb, cReadTpb);
  PCheck(st);
  isc_dsql_allocate_statement(st, &db, &stmt);
  PCheck(st);

  XSQLDA* out = (XSQLDA*)calloc(1, XSQLDA_LENGTH(40));
  out->version = SQLDA_VERSION1;
  out->sqln = 40;
  isc_dsql_prepare(st, &tr, &stmt, 0, cStatement, 1, out);
  PCheck(st);
  static short vInd[40];
  for (int i = 0; i < out->sqld; ++i) {
    XSQLVAR* v = &out->sqlvar[i];
    int vSize = v->sqllen + (((v->sqltype & ~1) == SQL_VARYING) ? 2 : 0);
    v->sqldata = malloc((size_t)vSize + 8);
    v->sqlind = &vInd[i];
  }

  XSQLDA* in = (XSQLDA*)calloc(1, XSQLDA_LENGTH(9));
  in->version = SQLDA_VERSION1;
  in->sqln = in->sqld = 9;
  static short vInInd[9];
  for (int i = 0; i < 9; ++i) {
    XSQLVAR* v = &in->sqlvar[i];
    v->sqltype = SQL_TEXT | 1;
    v->sqllen = (short)strlen(vKey[cParams[i]]);
    v->sqldata = vKey[cParams[i]];
    v->sqlind = &vInInd[i];
  }
  isc_dsql_execute(st, &tr, &stmt, SQLDA_VERSION1, in);
  PCheck(st);

  PPuts("<?xml version=\"1.0\"?><SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
        "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
        "xmlns:SOAP-ENC=\"http://schemas.xmlsoap.org/soap/encoding/\"><SOAP-ENV:Body "
        "SOAP-ENV:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\"><NS1:FRetornaPedidoResponse "
        "xmlns:NS1=\"urn:VelmoraIntf-IVelmora\"><return xsi:type=\"xsd:string\">");
  if (isc_dsql_fetch(st, &stmt, SQLDA_VERSION1, out) == 0) {
    PPuts("&lt;?xml version=\"1.0\" encoding=\"ISO-8859-1\"?&gt;&lt;Pedido&gt;");
    for (int i = 0; i < out->sqld; ++i) {
      const XSQLVAR* v = &out->sqlvar[i];
      char vText[512];
      int n = 0;
      if (*v->sqlind >= 0) {
        switch (v->sqltype & ~1) {
          case SQL_TEXT: n = snprintf(vText, sizeof vText, "%.*s", v->sqllen, v->sqldata); break;
          case SQL_VARYING: n = snprintf(vText, sizeof vText, "%.*s", *(short*)v->sqldata, v->sqldata + 2); break;
          case SQL_SHORT: n = snprintf(vText, sizeof vText, "%d", *(short*)v->sqldata); break;
          case SQL_LONG: n = snprintf(vText, sizeof vText, "%d", *(int*)v->sqldata); break;
          case SQL_INT64: n = snprintf(vText, sizeof vText, "%lld", (long long)*(ISC_INT64*)v->sqldata); break;
          case SQL_DOUBLE: n = snprintf(vText, sizeof vText, "%.3f", *(double*)v->sqldata); break;
          case SQL_TIMESTAMP: {
            struct tm t;
            isc_decode_timestamp((ISC_TIMESTAMP*)v->sqldata, &t);
            n = snprintf(vText, sizeof vText, "%02d/%02d/%04d", t.tm_mday, t.tm_mon + 1, t.tm_year + 1900);
            break;
          }
          default: break;
        }
      }
      if (n < 0) n = 0;
      if (n >= (int)sizeof vText) n = sizeof vText - 1;
      for (int k = 0; k < n; ++k)
        if (vText[k] == '.' && (v->sqltype & ~1) == SQL_DOUBLE) vText[k] = ',';
      PPuts("&lt;");
      PPut(v->aliasname, (size_t)v->aliasname_length);
      PPuts("&gt;");
      PPutEscaped(vText, (size_t)n);
      PPuts("&lt;/");
      PPut(v->aliasname, (size_t)v->aliasname_length);
      PPuts("&gt;");
    }
    PPuts("&lt;/Pedido&gt;");
  }
  PPuts("</return></NS1:FRetornaPedidoResponse></SOAP-ENV:Body></SOAP-ENV:Envelope>");

  isc_dsql_free_statement(st, &stmt, DSQL_drop);
  isc_commit_transaction(st, &tr);
  PCheck(st);

  char vHead[256];
  int h = 0;
  if (getenv("SERVER_PROTOCOL"))
    h = snprintf(vHead, sizeof vHead, "Status: 200 OK\r\nContent-Type: text/xml\r\nContent-Length: %zu\r\nContent:\r\n\r\n",
                 gSize);
  (void)!write(1, vHead, (size_t)h);
  (void)!write(1, gOut, gSize);
  isc_detach_database(st, &db);
  _exit(0);
}
