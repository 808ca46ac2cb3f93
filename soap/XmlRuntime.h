// Process-wide start and end of the XML runtime the SOAP layer parses
// envelopes with. Start-up (app/) calls PCoInitialize before the request
// cycle, and the SOAP endpoint calls it again before each call; once the
// runtime has started a call costs nothing. Shutdown calls PCoUninitialize
// once, after the last request: no XML document may be parsed, built or
// freed after it.
#pragma once

namespace soap {

void PCoInitialize();
void PCoUninitialize();

}  // namespace soap
