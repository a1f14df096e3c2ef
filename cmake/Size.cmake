# The size of install.exe. The code whose speed nobody notices (the class
# library, the controls' frames and forms, the tree's settings, storage and
# input, the folder tree, the skin kit, the wizard) is optimised for size. The
# HTML renderer, the edit's text model, the lists and strings under the tree's
# items and the tree's items, painting, sorting, frame and keys, which have
# benchmarks of their own, keep -O2, and so do the engine, whose worker the install benchmark times,
# the PNG codec core of the PNG benchmark, and unrar.dll.
#
# Unused code goes by link-time optimisation: the libraries under install.exe
# are compiled to both machine code (for the test programs, linked as usual)
# and the compiler's intermediate form, from which install.exe's link makes
# only the functions the program reaches. The linker's --gc-sections alone
# cannot drop them: it keeps every function the exception tables describe
# (.eh_frame on i686 is kept whole). The program is optimised as one
# partition: partitioned, GCC 12 stops with an internal error on i686.
set(_size_targets classlib_core classlib_stream classlib_graphics classlib_controls
    element element_tree foldertree skin wizard_units install_exe)
set(_lto_targets ${_size_targets} engine installed_files_list)
foreach(_target ${_size_targets})
  if(TARGET ${_target})
    target_compile_options(${_target} PRIVATE -Os -fdata-sections)
  endif()
endforeach()
foreach(_target ${_lto_targets})
  if(TARGET ${_target})
    target_compile_options(${_target} PRIVATE -flto -ffat-lto-objects)
  endif()
endforeach()
if(TARGET install_exe)
  target_link_options(install_exe PRIVATE -fuse-linker-plugin -flto=auto -flto-partition=none
                      -Wl,--gc-sections)
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
