# engine_tests: the engine's units in the build's shared Wine prefix.
add_wine_gtest(engine_tests
  SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/tests/EngineTestEnvironment.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/tests/EngineTestSupport.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/tests/WindowsFileSystemTests.cpp
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
