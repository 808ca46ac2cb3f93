#include "soap/XmlRuntime.h"

#include <libxml/parser.h>

namespace soap {

void PCoInitialize() { xmlInitParser(); }
void PCoUninitialize() { xmlCleanupParser(); }

}  // namespace soap
