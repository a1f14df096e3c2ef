# add_wine_gtest(<name> SOURCES <files...> [LIBS <targets...>] [TIMEOUT <s>] [LABELS <l...>] [DESKTOP])
# One GoogleTest program, one CTest entry, run under Wine through the
# cross-compiling emulator. Does nothing when tests are not built.
if(NOT PROJECT_BUILD_TESTS)
  function(add_wine_gtest name)
  endfunction()
  return()
endif()

# GoogleTest, cross-built from Debian's sources as part of the tree.
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
foreach(_t gtest gtest_main)
  target_compile_options(${_t} PRIVATE -w)
endforeach()

# DESKTOP: the program moves the mouse, clicks or takes the focus. A test run
# has one desktop (one X display), so such programs never run at the same
# time: they share the CTest resource lock "wine_desktop". They also run in
# a Wine prefix apart from the other programs' (wine_env_desktop in
# scripts/wine-env.sh), whose server would otherwise send them mouse moves
# the other programs' windows cause.
function(add_wine_gtest name)
  cmake_parse_arguments(ARG "DESKTOP" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} gtest_main gtest)
  set_target_properties(${name} PROPERTIES SUFFIX ".exe")
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 600)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
  if(ARG_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
  if(ARG_DESKTOP)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK wine_desktop ENVIRONMENT WINE_RUN_DESKTOP=1)
  endif()
endfunction()
