# Helpers shared by the test folders.

# rs_add_gtest(NAME src...): a headless domain test linked against rs_core only.
function(rs_add_gtest name)
  find_package(GTest REQUIRED)
  add_executable(${name} ${ARGN})
  set_target_properties(${name} PROPERTIES AUTOMOC OFF AUTORCC OFF AUTOUIC OFF)
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE RS_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "LC_ALL=C;TZ=America/Sao_Paulo")
endfunction()

# rs_add_qtest(NAME src...): a widget test run offscreen.
function(rs_add_qtest name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE rs_gui Qt6::Test)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE RS_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;TZ=America/Sao_Paulo")
endfunction()
