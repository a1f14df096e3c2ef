# The wizard driver (finds the wizard's windows, tells its pages, posts
# clicks), the command-line driver for scripts, and the end-to-end scenarios.
add_library(wizard_driver STATIC ${CMAKE_CURRENT_SOURCE_DIR}/tests/WizardDriver.cpp)
target_include_directories(wizard_driver PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/tests)
target_link_libraries(wizard_driver PUBLIC user32 gdi32)

# wizdrive.exe: the main job's walker and the start-up benchmark's timer.
add_executable(wizdrive ${CMAKE_CURRENT_SOURCE_DIR}/tests/wizdrive.cpp)
set_target_properties(wizdrive PROPERTIES SUFFIX ".exe")
target_link_options(wizdrive PRIVATE -municode)
target_link_libraries(wizdrive PRIVATE wizard_driver)

# wizard_scenarios: install.exe walked end to end. Each test changes the
# machine, so the script runs every one alone in a fresh prefix and on a
# display of its own.
set(_engine_tests ${CMAKE_SOURCE_DIR}/engine/tests)
add_executable(wizard_scenarios
  ${_engine_tests}/EngineTestEnvironment.cpp
  ${_engine_tests}/EngineTestSupport.cpp
  ${_engine_tests}/ScenarioSupport.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tests/WizardScenarios.cpp)
set_target_properties(wizard_scenarios PROPERTIES SUFFIX ".exe")
target_include_directories(wizard_scenarios PRIVATE ${_engine_tests})
target_link_libraries(wizard_scenarios PRIVATE wizard_driver engine engine_strings gtest_main gtest)
add_test(NAME wizard_scenarios
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tests/run-wizard-scenarios.sh ${CMAKE_BINARY_DIR} $<TARGET_FILE:wizard_scenarios>)
set_tests_properties(wizard_scenarios PROPERTIES TIMEOUT 1200 RESOURCE_LOCK wine_desktop)
add_dependencies(wizard_scenarios install_exe payload unrar rarpack)

# The start-up benchmark's floor (wizard/bench/run-bench.sh); not a test.
add_executable(bench_first_window WIN32 ${CMAKE_CURRENT_SOURCE_DIR}/bench/FirstWindow.cpp)
set_target_properties(bench_first_window PROPERTIES SUFFIX ".exe")
target_link_libraries(bench_first_window PRIVATE comctl32 ole32 shell32 imm32 advapi32 user32 gdi32)
