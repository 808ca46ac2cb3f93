/* Floor for a request that needs no database: a CGI that reads its request
 * body and answers with the fixed liveness answer, the same bytes the
 * service writes for FVerificaAtividade (header block, then the envelope).
 * Whatever this costs is process start and the C library, nothing more. */
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static const char cBody[] =
    "<?xml version=\"1.0\"?><SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
    "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
    "xmlns:SOAP-ENC=\"http://schemas.xmlsoap.org/soap/encoding/\"><SOAP-ENV:Body "
    "SOAP-ENV:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\"><NS1:FVerificaAtividadeResponse "
    "xmlns:NS1=\"urn:VelmoraIntf-IVelmora\"><return xsi:type=\"xsd:boolean\">true</return>"
    "</NS1:FVerificaAtividadeResponse></SOAP-ENV:Body></SOAP-ENV:Envelope>";

int main(void) {
  const char* vLength = getenv("CONTENT_LENGTH");
  long vLeft = vLength ? strtol(vLength, NULL, 10) : 0;
  char vBuffer[8192];
  while (vLeft > 0) {
    const ssize_t n = read(0, vBuffer, vLeft < (long)sizeof vBuffer ? (size_t)vLeft : sizeof vBuffer);
    if (n <= 0) break;
    vLeft -= n;
  }
  char vOut[2048];
  int vSize = 0;
  if (getenv("SERVER_PROTOCOL")) {
    static const char cHead[] = "Status: 200 OK\r\nContent-Type: text/xml\r\nContent-Length: ";
    memcpy(vOut, cHead, sizeof cHead - 1);
    vSize = sizeof cHead - 1;
    char vDigits[16];
    int vCount = 0;
    for (unsigned long v = sizeof cBody - 1; v; v /= 10) vDigits[vCount++] = (char)('0' + v % 10);
    while (vCount) vOut[vSize++] = vDigits[--vCount];
    memcpy(vOut + vSize, "\r\nContent:\r\n\r\n", 14);
    vSize += 14;
  }
  memcpy(vOut + vSize, cBody, sizeof cBody - 1);
  vSize += (int)(sizeof cBody - 1);
  (void)!write(1, vOut, (size_t)vSize);
  return 0;
}
