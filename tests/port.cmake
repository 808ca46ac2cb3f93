velmora_test(Env LIBS velmora_port velmora_testsupport)
velmora_test(Text LIBS velmora_port)
