# Writes the map that scripts/check_includes.py reads: for every library and
# executable defined in the tree, its folder, its sources (absolute paths)
# and the targets it links, all of them (LINK_LIBRARIES) and those it hands
# on to its consumers (INTERFACE_LINK_LIBRARIES without $<LINK_ONLY:...>).
#
#   target <name> <source folder>
#   src <absolute path>
#   dep <linked target>
#   pub <target handed on>

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
    get_target_property(pubs ${t} INTERFACE_LINK_LIBRARIES)
    foreach(d ${pubs})
      if(d AND NOT d MATCHES "NOTFOUND$" AND NOT d MATCHES "LINK_ONLY")
        string(APPEND text "pub ${d}\n")
      endif()
    endforeach()
  endforeach()
  file(WRITE ${file} "${text}")
endfunction()
