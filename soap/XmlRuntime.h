// Process-wide start and end of the XML runtime the SOAP layer parses
// envelopes with. The host calls PCoInitialize once before the first request
// and PCoUninitialize once after the last; both are cheap and idempotent.
#pragma once

namespace soap {

void PCoInitialize();
void PCoUninitialize();

}  // namespace soap
