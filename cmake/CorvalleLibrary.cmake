# Libraries that show their headers under their folder's name and nothing
# else, and a check of what each library may link.
#
# corvalle_library(NAME FOLDER SOURCES ... [PUBLIC ...] [PRIVATE ...])
# makes a static library whose headers are reached as "FOLDER/name.h": each
# library's include directory holds links to its own headers only, so a file
# can include a header only when its library links the library that offers
# it, and a wrong include fails to build.
function(corvalle_library name folder)
  cmake_parse_arguments(L "" "" "SOURCES;PUBLIC;PRIVATE" ${ARGN})
  add_library(${name} STATIC ${L_SOURCES})
  set(stage ${CMAKE_BINARY_DIR}/include/${name})
  file(REMOVE_RECURSE ${stage})
  file(MAKE_DIRECTORY ${stage}/${folder})
  foreach(source IN LISTS L_SOURCES)
    if(source MATCHES "\\.h$")
      get_filename_component(header ${source} NAME)
      get_filename_component(real ${source} ABSOLUTE)
      file(CREATE_LINK ${real} ${stage}/${folder}/${header} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${name} PUBLIC ${stage})
  target_link_libraries(${name} PUBLIC ${L_PUBLIC} PRIVATE ${L_PRIVATE})
endfunction()

# Every library `target` links, directly or through others.
function(_corvalle_links target out)
  set(seen "")
  set(queue ${target})
  while(queue)
    list(POP_FRONT queue item)
    string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" item "${item}")
    if(item IN_LIST seen OR NOT TARGET ${item})
      continue()
    endif()
    list(APPEND seen ${item})
    get_target_property(type ${item} TYPE)
    set(deps "")
    if(NOT type STREQUAL "INTERFACE_LIBRARY" AND item STREQUAL target)
      get_target_property(deps ${item} LINK_LIBRARIES)
    endif()
    get_target_property(more ${item} INTERFACE_LINK_LIBRARIES)
    foreach(list IN ITEMS deps more)
      if(${list})
        list(APPEND queue ${${list}})
      endif()
    endforeach()
  endwhile()
  list(REMOVE_ITEM seen ${target})
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

# corvalle_forbid_links(TARGET pattern...): configuring fails when `TARGET`
# links, even through another library, a library whose name matches one of
# the regular expressions.
function(corvalle_forbid_links target)
  _corvalle_links(${target} links)
  foreach(pattern IN LISTS ARGN)
    foreach(link IN LISTS links)
      if(link MATCHES "${pattern}")
        message(FATAL_ERROR "${target} must not link ${link} (it links: ${links})")
      endif()
    endforeach()
  endforeach()
endfunction()
