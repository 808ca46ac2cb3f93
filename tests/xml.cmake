# Tests of the xml layer.
velmora_test(XMLBinding LIBS velmora_xml)
