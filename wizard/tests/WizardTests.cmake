# wizard_tests: the wizard's units with their resources in a test program,
# on the test run's one desktop (it shows the host window, clicks and drags).
add_wine_gtest(wizard_tests
  SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/Install.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/install.rc
    ${CMAKE_CURRENT_SOURCE_DIR}/tests/wizard_tests.rc
    ${CMAKE_CURRENT_SOURCE_DIR}/tests/WizardTestEnvironment.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/tests/StartupTests.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/tests/FrameTests.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/tests/PageTests.cpp
  LIBS wizard_units
  DESKTOP)
target_include_directories(wizard_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/tests)
# Wine sees the host's file system as drive Z:.
target_compile_definitions(wizard_tests PRIVATE
  WIZARD_TEST_PAYLOAD="Z:${CMAKE_BINARY_DIR}/payload/Install.z"
  WIZARD_TEST_UNRAR="Z:$<TARGET_FILE:unrar>")
add_dependencies(wizard_tests payload unrar)
