# Tests of the data layer; they run against real embedded databases built
# by the fixture, with FIREBIRD pointing at the build's Firebird root.
velmora_test(SQLDataSet LIBS velmora_data velmora_testsupport)
velmora_test(SQLConnection LIBS velmora_data velmora_testsupport)
velmora_test(uClassFireBird LIBS velmora_data velmora_testsupport)
velmora_test(ValueForms LIBS velmora_data velmora_testsupport)
