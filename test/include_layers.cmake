# Dependencies point one way. The folders form layers, lowest first:
#
#   base  <-  platform  <-  model  <-  reader, output, scenario  <-  run  <-  tool
#
# A file may include from its own layer and from the layers below it, never
# from one above: one such include and the folders form a cycle again. Tests
# (*_test.cpp) sit beside their units but run the whole program, so they are
# not held to their folder's layer; test/, fuzz/ and bench/ sit above all the
# layers and are not checked.
#
# Usage: cmake -DSOURCE_DIR=ROOT -P include_layers.cmake
#          checks the tree at ROOT; fails with one line per include that
#          reaches up
#        cmake -DSELF_TEST_DIR=DIR -P include_layers.cmake
#          plants includes that reach up, and some that do not, in a scratch
#          tree at DIR; fails unless exactly the planted faults are found

set(layer_folders base platform model reader output scenario run tool)
set(layer_ranks 0 1 2 3 3 3 4 5)

function(rank_of folder out)
  list(FIND layer_folders "${folder}" index)
  if(index LESS 0)
    set(${out} -1 PARENT_SCOPE)
  else()
    list(GET layer_ranks ${index} rank)
    set(${out} ${rank} PARENT_SCOPE)
  endif()
endfunction()

# Sets `out` to one line per include under `root` that reaches up a layer.
function(find_upward_includes root out)
  set(faults "")
  foreach(folder ${layer_folders})
    rank_of(${folder} own_rank)
    file(GLOB sources "${root}/${folder}/*.h" "${root}/${folder}/*.cpp")
    list(FILTER sources EXCLUDE REGEX "_test\\.cpp$")
    list(SORT sources)
    foreach(source ${sources})
      file(STRINGS "${source}" includes
           REGEX "^[ \t]*#[ \t]*include[ \t]*\"[A-Za-z0-9_]+/")
      foreach(line ${includes})
        string(REGEX REPLACE "^[^\"]*\"([A-Za-z0-9_]+)/.*$" "\\1" target
                             "${line}")
        rank_of(${target} target_rank)
        if(target_rank GREATER own_rank)
          file(RELATIVE_PATH shown "${root}" "${source}")
          string(STRIP "${line}" line)
          list(APPEND faults
               "${shown}: ${line} (${folder}/ must not include ${target}/)")
        endif()
      endforeach()
    endforeach()
  endforeach()
  set(${out} "${faults}" PARENT_SCOPE)
endfunction()

if(DEFINED SELF_TEST_DIR)
  file(REMOVE_RECURSE "${SELF_TEST_DIR}")
  set(planted
      "base/basics.h|#include \"platform/platform.h\"|up"
      "platform/backend.cpp|#  include \"reader/field_reader.h\"|up"
      "model/context.h|#include \"run/step_result.h\"|up"
      "output/writer.cpp|#include \"tool/check.h\"|up"
      "model/table.h|#include \"base/step_result.h\"|down"
      "reader/rows.cpp|#include \"output/coding.h\"|beside"
      "run/main.cpp|#include \"scenario/write_document.h\"|down"
      "tool/check.cpp|#include \"run/run_sequence.h\"|down"
      "tool/tool_run.h|#include \"test/temp_dir.h\"|outside the layers"
      "platform/platform_test.cpp|#include \"run/run_sequence.h\"|a test")
  set(expected "")
  foreach(entry ${planted})
    string(REPLACE "|" ";" fields "${entry}")
    list(GET fields 0 file_name)
    list(GET fields 1 include_line)
    list(GET fields 2 kind)
    file(WRITE "${SELF_TEST_DIR}/${file_name}" "// ${kind}\n${include_line}\n")
    if(kind STREQUAL "up")
      list(APPEND expected "${file_name}")
    endif()
  endforeach()
  find_upward_includes("${SELF_TEST_DIR}" faults)
  set(found "")
  foreach(fault ${faults})
    string(REGEX REPLACE ":.*$" "" file_name "${fault}")
    list(APPEND found "${file_name}")
  endforeach()
  list(SORT expected)
  list(SORT found)
  if(NOT found STREQUAL expected)
    string(REPLACE ";" "\n  " faults "${faults}")
    message(FATAL_ERROR "expected upward includes in: ${expected}\n"
                        "found:\n  ${faults}")
  endif()
  message(STATUS "every planted upward include found, and nothing else")
elseif(DEFINED SOURCE_DIR)
  find_upward_includes("${SOURCE_DIR}" faults)
  if(faults)
    string(REPLACE ";" "\n  " faults "${faults}")
    message(FATAL_ERROR "includes that reach up a layer:\n  ${faults}")
  endif()
  message(STATUS "every include points down the layers")
else()
  message(FATAL_ERROR "usage: cmake -DSOURCE_DIR=ROOT -P include_layers.cmake")
endif()
