# The installer's check (velmora-check): its rules as unit tests, then the
# real program on real installations and databases (labels e2e and db).
add_executable(DeploymentCheck_test DeploymentCheck_test.cpp)
target_link_libraries(DeploymentCheck_test PRIVATE velmora_check velmora_e2e GTest::gtest GTest::gtest_main)
target_include_directories(DeploymentCheck_test PRIVATE ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(DeploymentCheck_test PRIVATE
  VELMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
  VELMORA_BINARY_DIR="${PROJECT_BINARY_DIR}")
add_dependencies(DeploymentCheck_test velmora-check velmora.cgi)
gtest_discover_tests(DeploymentCheck_test DISCOVERY_TIMEOUT 60 TEST_LIST vCheckRules
  TEST_FILTER "DeploymentCheckRules.*" PROPERTIES TIMEOUT 60 LABELS unit)
gtest_discover_tests(DeploymentCheck_test DISCOVERY_TIMEOUT 60 TEST_LIST vCheckRuns
  TEST_FILTER "Deployments/DeploymentCheckRun.*" PROPERTIES TIMEOUT 300)
# Two labels: the discovery hands properties on as a flat list, which would
# split "e2e;db", so the labels go on after the discovered tests are read.
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/DeploymentCheck_labels.cmake
  "foreach(vTest IN LISTS vCheckRuns)\n  set_tests_properties(\"\${vTest}\" PROPERTIES LABELS \"e2e;db\" FIXTURES_REQUIRED demo_db)\nendforeach()\n")
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${CMAKE_CURRENT_BINARY_DIR}/DeploymentCheck_labels.cmake)
