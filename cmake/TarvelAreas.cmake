# tarvel_add_areas([folder]): adds every folder inside `folder` (a path below
# the calling CMakeLists.txt; that folder itself by default) that has a
# CMakeLists.txt of its own, in name order. src/ adds its viewers so, and
# tests/, fuzz/ and bench/ their areas: a new viewer's or area's folder is
# picked up without a list to extend. Folders without one (support/, data/,
# seeds/) are left out. An area never depends on another being added first:
# what several share is made before the areas are added.
function(tarvel_add_areas)
  set(parent ${CMAKE_CURRENT_SOURCE_DIR})
  if(ARGC GREATER 0)
    set(parent ${CMAKE_CURRENT_SOURCE_DIR}/${ARGV0})
  endif()
  file(GLOB folders LIST_DIRECTORIES true CONFIGURE_DEPENDS ${parent}/*)
  foreach(folder IN LISTS folders)
    if(EXISTS ${folder}/CMakeLists.txt)
      add_subdirectory(${folder})
    endif()
  endforeach()
endfunction()
