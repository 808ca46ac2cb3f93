velmora_test(CGIRequest LIBS velmora_host)
velmora_test(CGIResponse LIBS velmora_host)
velmora_test(WebModule LIBS velmora_host)
velmora_test(CGIApp LIBS velmora_host)
