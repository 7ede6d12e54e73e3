# assocman_add_test(name SOURCES ... LIBS ...)
# One GoogleTest executable per folder; every case becomes its own CTest test.
function(assocman_add_test name)
  if(NOT ASSOCMAN_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASSOCMAN_TEST=1" ${T_PROPERTIES})
endfunction()
