# Each library exports its own headers and nothing else: the headers among a
# target's sources are linked into <build>/exports/<target>/, under their path
# below src/, and that folder is the target's include folder. A file can then
# include a header only if its target links the library that holds it, so the
# layering of src/ (docs/ARCHITECTURE.md) is checked by every build.
function(tarvel_export_headers target)
  get_target_property(type ${target} TYPE)
  get_target_property(sources ${target} SOURCES)
  set(dir ${PROJECT_BINARY_DIR}/exports/${target})
  file(REMOVE_RECURSE ${dir})
  file(MAKE_DIRECTORY ${dir})
  foreach(source IN LISTS sources)
    if(NOT source MATCHES "\\.h$")
      continue()
    endif()
    cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} NORMALIZE
               OUTPUT_VARIABLE header)
    cmake_path(RELATIVE_PATH header BASE_DIRECTORY ${PROJECT_SOURCE_DIR}/src
               OUTPUT_VARIABLE relative)
    cmake_path(GET relative PARENT_PATH parent)
    file(MAKE_DIRECTORY ${dir}/${parent})
    file(CREATE_LINK ${header} ${dir}/${relative} SYMBOLIC)
  endforeach()
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${dir})
  elseif(type STREQUAL "MODULE_LIBRARY" OR type STREQUAL "EXECUTABLE")
    target_include_directories(${target} PRIVATE ${dir})
  else()
    target_include_directories(${target} PUBLIC ${dir})
  endif()
endfunction()

# A viewer's library: exported like any other and linked into the program,
# whose composition root decides whether the viewer is registered.
function(tarvel_add_viewer target)
  tarvel_export_headers(${target})
  set_property(GLOBAL APPEND PROPERTY TARVEL_VIEWER_LIBRARIES ${target})
endfunction()
