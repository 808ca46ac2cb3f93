velmora_test(Env LIBS velmora_port velmora_testsupport)
