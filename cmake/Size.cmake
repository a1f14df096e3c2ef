# The size of install.exe. The code whose speed nobody notices (the class
# library, the controls' frames and forms, the tree's settings, storage and
# input, the folder tree, the skin kit, the wizard) is optimised for size. The
# HTML renderer, the edit's text model, the lists and strings under the tree's
# items and the tree's items, painting, sorting, frame and keys, which have
# benchmarks of their own, keep -O2 in the libraries, and so do the engine,
# whose worker the install benchmark times, the PNG codec core of the PNG
# benchmark, and unrar.dll.
set(_size_targets classlib_core classlib_stream classlib_graphics classlib_controls
    element element_tree foldertree skin wizard_units install_exe)
foreach(_target ${_size_targets})
  if(TARGET ${_target})
    target_compile_options(${_target} PRIVATE -Os -fdata-sections)
  endif()
endforeach()

# install.exe links its own copies of these libraries, compiled for size
# throughout (the engine, whose worker is timed, at -O2 as ever) into the
# compiler's intermediate form: link-time optimisation then makes only the
# functions the program reaches. The test programs and benchmarks link the
# libraries above. The linker's --gc-sections alone cannot drop unused code:
# it keeps every function the exception tables describe (.eh_frame on i686
# is kept whole). The program is optimised as one partition: partitioned,
# GCC 12 stops with an internal error on i686.
set(_size_copied classlib_core classlib_stream classlib_graphics classlib_controls
    element element_tree foldertree skin wizard_units engine installed_files_list)
function(_size_copy _lib)
  get_target_property(_sources ${_lib} SOURCES)
  get_target_property(_dir ${_lib} SOURCE_DIR)
  set(_compiled)
  foreach(_source ${_sources})
    if(_source MATCHES "\\.(c|cpp)$")
      if(NOT IS_ABSOLUTE "${_source}")
        set(_source ${_dir}/${_source})
      endif()
      list(APPEND _compiled ${_source})
    endif()
  endforeach()
  set(_copy ${_lib}_size)
  add_library(${_copy} STATIC ${_compiled})
  foreach(_property INCLUDE_DIRECTORIES COMPILE_DEFINITIONS INTERFACE_INCLUDE_DIRECTORIES
          INTERFACE_COMPILE_DEFINITIONS INTERFACE_SOURCES)
    get_target_property(_value ${_lib} ${_property})
    if(_value)
      set_property(TARGET ${_copy} PROPERTY ${_property} ${_value})
    endif()
  endforeach()
  if(_lib STREQUAL "engine" OR _lib STREQUAL "installed_files_list")
    target_compile_options(${_copy} PRIVATE -flto)
  else()
    target_compile_options(${_copy} PRIVATE -Os -fdata-sections -flto)
  endif()
  get_target_property(_links ${_lib} LINK_LIBRARIES)
  if(NOT _links)
    set(_links)
  endif()
  set(_copy_links)
  foreach(_link ${_links})
    if(_link STREQUAL "classlib")
      set(_link classlib_controls)
    endif()
    if(_link IN_LIST _size_copied)
      set(_link ${_link}_size)
    endif()
    list(APPEND _copy_links ${_link})
  endforeach()
  if(_copy_links)
    target_link_libraries(${_copy} PUBLIC ${_copy_links})
  endif()
endfunction()

if(TARGET install_exe)
  foreach(_lib ${_size_copied})
    _size_copy(${_lib})
  endforeach()
  set_property(TARGET install_exe PROPERTY LINK_LIBRARIES wizard_units_size)
  target_compile_options(install_exe PRIVATE -flto)
  target_link_options(install_exe PRIVATE -flto=auto -flto-partition=none -Wl,--gc-sections)
endif()

file(GLOB _speed_sources
  ${CMAKE_SOURCE_DIR}/controls/element/HTMLRender*.cpp
  ${CMAKE_SOURCE_DIR}/controls/element/ElEditStrings*.cpp
  ${CMAKE_SOURCE_DIR}/controls/element/ElEditCore*.cpp
  ${CMAKE_SOURCE_DIR}/controls/element/ElList*.cpp
  ${CMAKE_SOURCE_DIR}/controls/element/ElUnicodeStrings*.cpp
  ${CMAKE_SOURCE_DIR}/controls/element/ElStrUtils*.cpp)
if(_speed_sources)
  set_source_files_properties(${_speed_sources}
    DIRECTORY ${CMAKE_SOURCE_DIR}/controls/element PROPERTIES COMPILE_OPTIONS -O2)
endif()

file(GLOB _tree_speed_sources
  ${CMAKE_SOURCE_DIR}/controls/element-tree/ElTreeItem*.cpp
  ${CMAKE_SOURCE_DIR}/controls/element-tree/ElTreePaint.cpp
  ${CMAKE_SOURCE_DIR}/controls/element-tree/ElTreeMeasure.cpp
  ${CMAKE_SOURCE_DIR}/controls/element-tree/ElTreeRows.cpp
  ${CMAKE_SOURCE_DIR}/controls/element-tree/ElTreeSort*.cpp
  ${CMAKE_SOURCE_DIR}/controls/element-tree/ElTreeFrame.cpp
  ${CMAKE_SOURCE_DIR}/controls/element-tree/ElTreeKeys.cpp
  ${CMAKE_SOURCE_DIR}/controls/element-tree/ElTreeSearch.cpp
  ${CMAKE_SOURCE_DIR}/controls/element-tree/ElTreeSelection.cpp)
if(_tree_speed_sources)
  set_source_files_properties(${_tree_speed_sources}
    DIRECTORY ${CMAKE_SOURCE_DIR}/controls/element-tree PROPERTIES COMPILE_OPTIONS -O2)
endif()
