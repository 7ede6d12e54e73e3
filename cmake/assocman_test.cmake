# assocman_add_test(name [X11] SOURCES ... LIBS ... [PROPERTIES ...])
# One GoogleTest executable per folder; every case becomes its own CTest test.
# Tests run headless on Qt's offscreen platform; X11 tests need the real X
# server that scripts/test.sh starts (with a tray host) and run one at a time
# since they share that display. Without a display they skip themselves,
# unless ASSOCMAN_REQUIRE_X11 is set (scripts/test.sh sets it): then they fail.
# Every test reaches the shared helpers in tests/support.
function(assocman_add_test name)
  if(NOT ASSOCMAN_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "X11" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  if(T_X11)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
      PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=xcb LABELS x11 RUN_SERIAL TRUE ${T_PROPERTIES})
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
      PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen ${T_PROPERTIES})
  endif()
endfunction()
