velmora_test(LogNFe LIBS velmora_tracelog)
