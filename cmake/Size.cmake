# The size of install.exe. The code whose speed nobody notices (the class
# library, the controls' frames and forms, the tree's settings, storage and
# input, the folder tree, the skin kit, the wizard) is optimised for size. The
# HTML renderer, the edit's text model, the lists and strings under the tree's
# items and the tree's items, painting, sorting, frame and keys, which have
# benchmarks of their own, keep -O2, and so do the engine, whose worker the install benchmark times,
# the PNG codec core of the PNG benchmark, and unrar.dll.
#
# Two ways to drop unused code do not work with this toolchain: the linker's
# --gc-sections keeps every function that the exception tables describe
# (.eh_frame on i686, .pdata/.xdata on x86_64 are kept whole), so
# -ffunction-sections buys nothing, and link-time optimisation of these
# libraries fails (duplicate COMDAT definitions between LTO and ordinary
# objects, and an internal compiler error).
set(_size_targets classlib_core classlib_stream classlib_graphics classlib_controls
    element element_tree foldertree skin wizard_units install_exe)
foreach(_target ${_size_targets})
  if(TARGET ${_target})
    target_compile_options(${_target} PRIVATE -Os -fdata-sections)
  endif()
endforeach()
# Data that nothing refers to (tables, interface identifiers of the system
# libraries) goes; the code, which the exception tables hold, stays.
if(TARGET install_exe)
  target_link_options(install_exe PRIVATE -Wl,--gc-sections)
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
