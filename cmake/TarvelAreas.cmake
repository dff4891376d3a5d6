# tarvel_add_areas(): adds every folder beside the calling CMakeLists.txt that
# has a CMakeLists.txt of its own, in name order, as src/ adds its viewers:
# tests/, fuzz/ and bench/ pick up a new area's folder without a list to
# extend. Folders without one (support/, data/, seeds/) are left out. An area
# never depends on another being added first: what several share is made
# before the areas are added.
function(tarvel_add_areas)
  file(GLOB folders LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(folder IN LISTS folders)
    if(EXISTS ${folder}/CMakeLists.txt)
      add_subdirectory(${folder})
    endif()
  endforeach()
endfunction()
