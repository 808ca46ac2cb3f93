# The database test fixture: real embedded databases and a private server.
add_library(velmora_testsupport STATIC support/FirebirdFixture.cpp)
target_include_directories(velmora_testsupport PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(velmora_testsupport PRIVATE VELMORA_BINARY_DIR="${PROJECT_BINARY_DIR}")
target_link_libraries(velmora_testsupport PUBLIC PkgConfig::LIBXML2)
