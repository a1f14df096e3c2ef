# Archives the tests read, packed by rarpack at build time from a generated
# tree, into ${CMAKE_BINARY_DIR}/rar-fixtures. The target rar_test_fixtures
# makes them all; unrar.dll's tests depend on it too.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(RAR_FIXTURES_DIR "${CMAKE_BINARY_DIR}/rar-fixtures")
set(_tree "${RAR_FIXTURES_DIR}/tree")
set(_tree_stamp "${RAR_FIXTURES_DIR}/tree.stamp")
set(_empty "${RAR_FIXTURES_DIR}/empty-tree")
add_custom_command(
  OUTPUT "${_tree_stamp}"
  COMMAND Python3::Interpreter "${CMAKE_CURRENT_SOURCE_DIR}/tests/make-tree.py" "${_tree}" "${_tree_stamp}"
  COMMAND ${CMAKE_COMMAND} -E make_directory "${_empty}"
  DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/tests/make-tree.py"
  COMMENT "Writing the archive fixture tree"
  VERBATIM)

set(_all)
macro(_fixture name)
  rarpack_archive(OUTPUT "${RAR_FIXTURES_DIR}/${name}" SOURCE_DIR "${_tree}" DEPENDS "${_tree_stamp}"
                  OUTPUT_VARIABLE _out ${ARGN})
  list(APPEND _all ${_out})
endmacro()

_fixture(plain.rar)
_fixture(enc.rar PASSWORD tulbek)
_fixture(hdr.rar PASSWORD tulbek ENCRYPT_HEADERS)
_fixture(tweaked.rar PASSWORD tulbek TWEAKED_CRC)
_fixture(cyr.rar PASSWORD "пароль")
_fixture(vol.rar VOLUME_SIZE 1m VOLUMES 3)
_fixture(encvol.rar PASSWORD tulbek ENCRYPT_HEADERS VOLUME_SIZE 1m VOLUMES 3)
rarpack_archive(OUTPUT "${RAR_FIXTURES_DIR}/empty.rar" SOURCE_DIR "${_empty}" DEPENDS "${_tree_stamp}"
                OUTPUT_VARIABLE _out)
list(APPEND _all ${_out})

add_custom_target(rar_test_fixtures ALL DEPENDS ${_all})

# Every kind of archive rarpack writes, read back natively by unar and bsdtar.
add_test(NAME rarpack_oracles
         COMMAND bash "${CMAKE_CURRENT_SOURCE_DIR}/tests/oracle-test.sh" "${RAR_FIXTURES_DIR}")
set_tests_properties(rarpack_oracles PROPERTIES TIMEOUT 300)
