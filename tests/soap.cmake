# The SOAP layer: registries, request handling, envelopes.
velmora_test(CodePage LIBS velmora_soap)
velmora_test(InvokeRegistry LIBS velmora_soap)
velmora_test(OPToSoapDomConvert LIBS velmora_soap)
velmora_test(SoapHttpHandler LIBS velmora_soap PkgConfig::LIBXML2)
velmora_test(XmlTextWriter LIBS velmora_soap)
