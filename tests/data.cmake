# Tests of the data layer; they run against real embedded databases built
# by the fixture, with FIREBIRD pointing at the build's Firebird root.
velmora_test(SQLDataSet LIBS velmora_data velmora_testsupport)
velmora_test(SQLConnection LIBS velmora_data velmora_testsupport)
velmora_test(uClassFireBird LIBS velmora_data velmora_testsupport)
velmora_test(ValueForms LIBS velmora_data velmora_testsupport)

# The Firebird layer's own units. Column decoding and the function table
# need the client's headers (hand-built XSQLVAR buffers), never its library
# on the link line; the stub library lacks one function of the table.
velmora_test(FbColumnDecoder LABEL unit LIBS velmora_data)
target_include_directories(FbColumnDecoder_test PRIVATE ${FBCLIENT_INCLUDE_DIR})
add_library(velmora_fbclient_stub MODULE support/FbClientStub.c)
velmora_test(FbClientApi LABEL unit LIBS velmora_data)
target_include_directories(FbClientApi_test PRIVATE ${FBCLIENT_INCLUDE_DIR})
target_compile_definitions(FbClientApi_test PRIVATE VELMORA_FBCLIENT_STUB="$<TARGET_FILE:velmora_fbclient_stub>")
add_dependencies(FbClientApi_test velmora_fbclient_stub)
velmora_test(FbHandles LABEL db LIBS velmora_data velmora_testsupport)
target_include_directories(FbHandles_test PRIVATE ${FBCLIENT_INCLUDE_DIR})
