# The media folder (media/ in the build folder): what a user receives, as it
# ships. install.exe and unrar.dll stripped, each with its debug information
# beside it in <file>.debug, which the program names in its .gnu_debuglink
# section (with the file's CRC), so that a debugger still resolves a crash
# backtrace; and the payload Install.z.
set(PROJECT_MEDIA_DIR ${CMAKE_BINARY_DIR}/media)
file(MAKE_DIRECTORY ${PROJECT_MEDIA_DIR})

set(_media_files)
function(_media_program target name)
  if(NOT TARGET ${target})
    return()
  endif()
  add_custom_command(
    OUTPUT ${PROJECT_MEDIA_DIR}/${name} ${PROJECT_MEDIA_DIR}/${name}.debug
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> ${name}.debug
    COMMAND ${CMAKE_STRIP} --strip-all -o ${name} $<TARGET_FILE:${target}>
    COMMAND ${CMAKE_OBJCOPY} --add-gnu-debuglink=${name}.debug ${name}
    WORKING_DIRECTORY ${PROJECT_MEDIA_DIR}
    DEPENDS ${target}
    COMMENT "Media: ${name}, stripped, and ${name}.debug"
    VERBATIM)
  set(_media_files ${_media_files} ${PROJECT_MEDIA_DIR}/${name} PARENT_SCOPE)
endfunction()

_media_program(install_exe install.exe)
_media_program(unrar unrar.dll)

if(TARGET payload)
  add_custom_command(
    OUTPUT ${PROJECT_MEDIA_DIR}/Install.z
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/payload/Install.z ${PROJECT_MEDIA_DIR}/Install.z
    DEPENDS payload ${CMAKE_BINARY_DIR}/payload/Install.z
    VERBATIM)
  list(APPEND _media_files ${PROJECT_MEDIA_DIR}/Install.z)
endif()

add_custom_target(media ALL DEPENDS ${_media_files})

# The media folder's check, a test of the build that runs on this machine
# (LABELS host), for either architecture's tree.
if(PROJECT_BUILD_TESTS)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  add_test(NAME media_tests
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/check_media.py
            ${PROJECT_MEDIA_DIR} ${CMAKE_OBJCOPY} ${CMAKE_BINARY_DIR}/payload/Install.z)
  set_tests_properties(media_tests PROPERTIES TIMEOUT 120 LABELS host)
endif()
