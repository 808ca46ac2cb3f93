# Reliability and security: hostile input and failing parts against the
# real executable (as a CGI, on real databases and a real Firebird server).
velmora_test(BadInput LIBS velmora_e2e PkgConfig::LIBXML2)
add_dependencies(BadInput_test velmora.cgi)
# The case tables name only the fields a row sets.
target_compile_options(BadInput_test PRIVATE -Wno-missing-field-initializers)

velmora_test(Faults LIBS velmora_e2e velmora_testsupport PkgConfig::LIBXML2)
add_dependencies(Faults_test velmora.cgi)
