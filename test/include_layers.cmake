# Dependencies point one way. The folders form layers, lowest first:
#
#   base  <-  platform  <-  model  <-  reader, output, scenario  <-  run  <-  tool
#
# A file may include from its own folder and from the layers below it, never
# from one above: one such include and the folders form a cycle again.
# reader/, output/ and scenario/ stand beside each other and take nothing
# from each other.
#
# The tool is built in rooms, each over the ones below it:
#
#   json, inspect, authoring  <-  plot  <-  lsp, view  <-  cli
#
# - json/ reads JSON within bounds; it needs nothing of the scenario.
# - inspect/ shows and rebuilds binary files: it knows the files (output/,
#   model/), never the sources, so it includes no reader/, run/ or
#   authoring/.
# - authoring/ is the author session every front end stands on: finding the
#   sources, the compile in memory, the diagnostics.
# - plot/ draws a scenario; lsp/ and view/ are front ends, and cli/ is the
#   command line, which dispatches to every command. A front end never
#   includes another one: cli/ takes from lsp/ and view/ only their entry
#   (lsp/lsp.h, view/view.h), by which it starts them.
#
# Tests (*_test.cpp) sit beside their units but run the whole program, so they
# are not held to their folder's layer; test/, fuzz/ and bench/ sit above all
# the layers and are not checked.
#
# Usage: cmake -DSOURCE_DIR=ROOT -P include_layers.cmake
#          checks the tree at ROOT; fails with one line per include that
#          reaches up
#        cmake -DSELF_TEST_DIR=DIR -P include_layers.cmake
#          plants includes that reach up, and some that do not, in a scratch
#          tree at DIR; fails unless exactly the planted faults are found

set(core_layers base platform model reader output scenario run)
set(core_below run scenario output reader model platform base)

# What each folder may include, by folder (a room of the tool by its path).
set(may_base base)
set(may_platform base platform)
set(may_model base platform model)
set(may_reader base platform model reader)
set(may_output base platform model output)
set(may_scenario base platform model scenario)
set(may_run ${core_below})
set(may_tool/json tool/json)
set(may_tool/inspect base platform model output tool/json tool/inspect)
set(may_tool/authoring ${core_below} tool/authoring)
set(may_tool/plot ${core_below} tool/authoring tool/inspect tool/plot)
set(may_tool/lsp ${core_below} tool/json tool/authoring tool/lsp)
set(may_tool/view ${core_below} tool/authoring tool/inspect tool/plot
    tool/view)
set(may_tool/cli ${core_below} tool/json tool/authoring tool/inspect
    tool/plot tool/cli)
# Headers of a front end that the command line may include.
set(entry_headers tool/lsp/lsp.h tool/view/view.h)
set(checked_folders ${core_layers} tool/json tool/inspect tool/authoring
    tool/plot tool/lsp tool/view tool/cli)

# The folder of an include path ("tool/lsp/x.h" is in tool/lsp).
function(folder_of path out)
  string(REGEX MATCH "^tool/[A-Za-z0-9_]+/" room "${path}")
  if(room)
    string(REGEX REPLACE "/$" "" room "${room}")
    set(${out} "${room}" PARENT_SCOPE)
  else()
    string(REGEX REPLACE "/.*$" "" folder "${path}")
    set(${out} "${folder}" PARENT_SCOPE)
  endif()
endfunction()

# Sets `out` to one line per include under `root` that its folder may not
# make.
function(find_upward_includes root out)
  get_filename_component(root "${root}" ABSOLUTE)
  set(faults "")
  foreach(folder ${checked_folders})
    file(GLOB sources "${root}/${folder}/*.h" "${root}/${folder}/*.cpp")
    list(FILTER sources EXCLUDE REGEX "_test\\.cpp$")
    list(SORT sources)
    foreach(source ${sources})
      file(STRINGS "${source}" includes
           REGEX "^[ \t]*#[ \t]*include[ \t]*\"[A-Za-z0-9_]+/")
      foreach(line ${includes})
        string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" target_path
                             "${line}")
        folder_of("${target_path}" target)
        list(FIND checked_folders "${target}" known)
        if(known LESS 0)
          continue()  # outside the layers (test/ helpers in a header)
        endif()
        list(FIND may_${folder} "${target}" allowed)
        list(FIND entry_headers "${target_path}" entry)
        if(allowed LESS 0 AND NOT (folder STREQUAL "tool/cli" AND entry GREATER
                                   -1))
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
      "output/writer.cpp|#include \"tool/authoring/session.h\"|up"
      "tool/inspect/dump.cpp|#include \"reader/grammar.h\"|up"
      "tool/inspect/pack.cpp|#include \"tool/authoring/session.h\"|up"
      "tool/lsp/hover.cpp|#include \"tool/cli/explain.h\"|up"
      "tool/view/view.cpp|#include \"tool/lsp/lsp_server.h\"|up"
      "tool/authoring/sources.cpp|#include \"tool/plot/plot.h\"|up"
      "tool/cli/tool_main.cpp|#include \"tool/lsp/lsp_server.h\"|up"
      "tool/cli/commands.cpp|#include \"tool/lsp/lsp.h\"|down"
      "tool/plot/scene.cpp|#include \"tool/inspect/model_views.h\"|down"
      "model/table.h|#include \"base/step_result.h\"|down"
      "reader/rows.cpp|#include \"output/coding.h\"|up"
      "run/main.cpp|#include \"scenario/write_document.h\"|down"
      "tool/authoring/session.cpp|#include \"run/run_sequence.h\"|down"
      "tool/cli/tool_run.h|#include \"test/temp_dir.h\"|outside the layers"
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
