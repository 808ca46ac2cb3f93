velmora_test(Env LIBS velmora_port)
