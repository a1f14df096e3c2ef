# engine_tests: the engine's units in the build's shared Wine prefix.
add_wine_gtest(engine_tests
  SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/tests/EngineTestEnvironment.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/tests/EngineTestSupport.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/tests/WindowsFileSystemTests.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/tests/DeleteTests.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/tests/InstallRecordTests.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/tests/WindowsOSTests.cpp
  LIBS engine engine_strings)
target_include_directories(engine_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/tests)
# The tests run the build's rarpack and load its unrar.dll.
add_dependencies(engine_tests rarpack unrar)
target_sources(engine_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/tests/ExtractRarTests.cpp)

# A library with only some of the RAR entry points, beside the test program.
add_library(partial_unrar SHARED ${CMAKE_CURRENT_SOURCE_DIR}/tests/PartialUnRar.cpp)
set_target_properties(partial_unrar PROPERTIES PREFIX "")
target_include_directories(partial_unrar PRIVATE ${CMAKE_SOURCE_DIR}/classlib)
add_dependencies(engine_tests partial_unrar)

# engine_scenarios: installs, rollbacks and the uninstaller end to end. Each
# test changes the machine (Program Files, HKLM, shortcuts), so the script
# runs every one alone in a fresh Wine prefix.
add_executable(engine_scenarios
  ${CMAKE_CURRENT_SOURCE_DIR}/tests/EngineTestEnvironment.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tests/EngineTestSupport.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tests/ScenarioSupport.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tests/InstallScenarios.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tests/UninstallScenarios.cpp)
set_target_properties(engine_scenarios PROPERTIES SUFFIX ".exe")
target_include_directories(engine_scenarios PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/tests)
target_link_libraries(engine_scenarios PRIVATE engine engine_strings gtest_main gtest)
add_test(NAME engine_scenarios
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tests/run-scenarios.sh ${CMAKE_BINARY_DIR} $<TARGET_FILE:engine_scenarios>)
# The uninstaller's message boxes show on the test run's one desktop.
set_tests_properties(engine_scenarios PROPERTIES TIMEOUT 1800 RESOURCE_LOCK wine_desktop)
add_dependencies(engine_scenarios payload uninstall_seamed unrar rarpack)
