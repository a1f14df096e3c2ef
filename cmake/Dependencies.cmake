# Imported targets for the libraries every module may link:
#   deps::zlib, deps::gcrypt (with gpg-error), deps::jpeg, deps::deflate
set(_mingw_lib /usr/${TOOLCHAIN_PREFIX}/lib)
set(_mingw_inc /usr/${TOOLCHAIN_PREFIX}/include)
set(_deps_arch "${PROJECT_DEPS_DIR}/${CMAKE_SYSTEM_PROCESSOR}")

function(_project_import_static name lib inc)
  if(NOT EXISTS "${lib}")
    message(FATAL_ERROR "${name}: ${lib} is missing; run scripts/setup.sh")
  endif()
  add_library(${name} STATIC IMPORTED GLOBAL)
  set_target_properties(${name} PROPERTIES
    IMPORTED_LOCATION "${lib}"
    INTERFACE_INCLUDE_DIRECTORIES "${inc}")
endfunction()

_project_import_static(deps::zlib "${_mingw_lib}/libz.a" "${_mingw_inc}")
_project_import_static(deps::gpg-error "${_mingw_lib}/libgpg-error.a" "${_mingw_inc}")
_project_import_static(deps::gcrypt "${_mingw_lib}/libgcrypt.a" "${_mingw_inc}")
set_property(TARGET deps::gcrypt PROPERTY INTERFACE_LINK_LIBRARIES deps::gpg-error ws2_32)
_project_import_static(deps::jpeg "${_deps_arch}/libjpeg/lib/libjpeg.a" "${_deps_arch}/libjpeg/include")
_project_import_static(deps::deflate "${_deps_arch}/libdeflate/lib/libdeflate.a" "${_deps_arch}/libdeflate/include")
