# Tests of the five data operations of TFireBird, each against small
# embedded databases that the fixture builds from the demo schema.
velmora_test(FRetornaPedidoCabecalho LIBS velmora_data velmora_testsupport)
velmora_test(FRetornaPedidoItem LIBS velmora_data velmora_testsupport)
velmora_test(FRetornaPedidoItemCusto LABEL perf LIBS velmora_data velmora_testsupport)
velmora_test(FAtualizaStatusPedido LIBS velmora_data velmora_testsupport)
velmora_test(FRetornaColConvenios LIBS velmora_data velmora_testsupport)
velmora_test(FRetornaColFinancimentos LIBS velmora_data velmora_testsupport)
velmora_test(VelmoraCall LABEL e2e LIBS velmora_e2e)
add_dependencies(VelmoraCall_test velmora.cgi)
