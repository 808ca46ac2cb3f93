# End-to-end support shared by every layer's end-to-end tests: running
# programs with an exact environment, service installations in temporary
# directories, the lighttpd fixture and the curl client (tests/e2e/).
add_library(velmora_e2e STATIC e2e/ProcessRunner.cpp e2e/LighttpdFixture.cpp)
target_include_directories(velmora_e2e PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(velmora_e2e PUBLIC velmora_testsupport)
target_compile_definitions(velmora_e2e PRIVATE
  VELMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
  VELMORA_BINARY_DIR="${PROJECT_BINARY_DIR}"
  VELMORA_DEMO_MASTER="${VELMORA_DEMO_MASTER}")

# The service executable whose start-up fails on purpose.
add_executable(velmora_startfail.cgi e2e/StartupFailureMain.cpp)
target_link_libraries(velmora_startfail.cgi PRIVATE velmora_app)

velmora_test(VelmoraProcess LABEL unit LIBS velmora_app)
velmora_test(VelmoraCgi LIBS velmora_e2e)
add_dependencies(VelmoraCgi_test velmora.cgi velmora_startfail.cgi)
target_compile_definitions(VelmoraCgi_test PRIVATE
  VELMORA_STARTFAIL_EXE="$<TARGET_FILE:velmora_startfail.cgi>")

velmora_test(Lighttpd LIBS velmora_e2e)
add_dependencies(Lighttpd_test velmora.cgi)

# A real SOAP client (PHP) through lighttpd.
velmora_test(SoapClient LIBS velmora_e2e)
add_dependencies(SoapClient_test velmora.cgi)

# The persistent mode: the executable as a FastCGI worker.
target_sources(velmora_e2e PRIVATE e2e/FastCGIWorker.cpp)
velmora_test(FastCGI LIBS velmora_e2e)
add_dependencies(FastCGI_test velmora.cgi)
