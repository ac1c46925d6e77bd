# Writes the map that scripts/check_includes.py reads: for every library and
# executable defined in the tree, its folder, its sources (absolute paths),
# the targets it links, all of them (LINK_LIBRARIES) and those it hands on
# to its consumers (INTERFACE_LINK_LIBRARIES without $<LINK_ONLY:...>), the
# headers it names public (zolma_public_headers), and whether it is a test
# or fuzz program (defined under tests/ or fuzz/), which may include the
# private headers of the libraries it uses.
#
#   target <name> <source folder>
#   type <target type>
#   src <absolute path>
#   dep <linked target>
#   pub <target handed on>
#   public <absolute path of a public header>
#   whitebox

# Names the headers of a library that other targets may include (paths
# relative to the calling folder); its other headers are its own.
function(zolma_public_headers target)
  set(files "")
  foreach(h ${ARGN})
    list(APPEND files ${CMAKE_CURRENT_SOURCE_DIR}/${h})
  endforeach()
  set_property(TARGET ${target} PROPERTY ZOLMA_PUBLIC_HEADERS ${files})
endfunction()

function(_zolma_collect_targets dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub ${subdirs})
    _zolma_collect_targets(${sub} more)
    list(APPEND targets ${more})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

function(zolma_write_include_map file)
  _zolma_collect_targets(${PROJECT_SOURCE_DIR} targets)
  set(text "")
  foreach(t ${targets})
    get_target_property(type ${t} TYPE)
    if(NOT type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|OBJECT_LIBRARY|EXECUTABLE|INTERFACE_LIBRARY)$")
      continue()
    endif()
    get_target_property(dir ${t} SOURCE_DIR)
    string(APPEND text "target ${t} ${dir}\n")
    string(APPEND text "type ${type}\n")
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(srcs ${t} SOURCES)
      foreach(s ${srcs})
        if(NOT IS_ABSOLUTE ${s})
          set(s ${dir}/${s})
        endif()
        string(APPEND text "src ${s}\n")
      endforeach()
      get_target_property(deps ${t} LINK_LIBRARIES)
      foreach(d ${deps})
        if(d AND NOT d MATCHES "NOTFOUND$")
          string(APPEND text "dep ${d}\n")
        endif()
      endforeach()
    endif()
    get_target_property(public ${t} ZOLMA_PUBLIC_HEADERS)
    foreach(h ${public})
      if(h)
        string(APPEND text "public ${h}\n")
      endif()
    endforeach()
    file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${dir})
    if(rel MATCHES "^(tests|fuzz)(/|$)")
      string(APPEND text "whitebox\n")
    endif()
    get_target_property(pubs ${t} INTERFACE_LINK_LIBRARIES)
    foreach(d ${pubs})
      if(d AND NOT d MATCHES "NOTFOUND$" AND NOT d MATCHES "LINK_ONLY")
        string(APPEND text "pub ${d}\n")
      endif()
    endforeach()
  endforeach()
  file(WRITE ${file} "${text}")
endfunction()
