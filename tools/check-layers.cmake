# The client's layer rule, read from the sources' #include lines:
#  - platform, client/ui and client/shell include no feature folder
#    (client/live, client/record, client/devcfg, client/emap) and not
#    client/app;
#  - a feature folder includes no other feature folder and not client/app.
# Includes name headers by their bare file name (the folders are include
# directories), so each name is looked up among every layered folder's files.
#
#   cmake -DROOT=<source tree> -P tools/check-layers.cmake           the rule
#   cmake -DROOT=<source tree> -DCOUNTS=ON -P tools/check-layers.cmake
#       also the number of include lines from each folder into each other
cmake_minimum_required(VERSION 3.25)
if(NOT ROOT)
  get_filename_component(ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
endif()

set(_low platform client/ui client/shell)
set(_features client/live client/record client/devcfg client/emap)
set(_folders ${_low} ${_features} client/app)

# Which folder each file name belongs to.
foreach(folder IN LISTS _folders)
  file(GLOB_RECURSE _files LIST_DIRECTORIES false "${ROOT}/${folder}/*.h" "${ROOT}/${folder}/*.cpp"
       "${ROOT}/${folder}/*.rc" "${ROOT}/${folder}/*.inc")
  set(_files_${folder} ${_files})
  foreach(f IN LISTS _files)
    get_filename_component(name "${f}" NAME)
    set("_home_${name}" "${folder}")
  endforeach()
endforeach()

set(_faults 0)
foreach(folder IN LISTS _folders)
  if(folder IN_LIST _low)
    set(_forbidden ${_features} client/app)
  elseif(folder IN_LIST _features)
    set(_forbidden ${_features} client/app)
    list(REMOVE_ITEM _forbidden ${folder})
  else()
    set(_forbidden)
  endif()
  foreach(f IN LISTS _files_${folder})
    file(STRINGS "${f}" _lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"][^>\"]+[>\"]")
    foreach(line IN LISTS _lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"].*" "\\1" inc "${line}")
      get_filename_component(name "${inc}" NAME)
      set(target "${_home_${name}}")
      if(NOT target OR target STREQUAL folder)
        continue()
      endif()
      math(EXPR "_n_${folder}_${target}" "0${_n_${folder}_${target}} + 1")
      if(target IN_LIST _forbidden)
        file(RELATIVE_PATH rel "${ROOT}" "${f}")
        message("${rel}: includes \"${inc}\" of ${target}")
        math(EXPR _faults "${_faults} + 1")
      endif()
    endforeach()
  endforeach()
endforeach()

if(COUNTS)
  foreach(from IN LISTS _folders)
    foreach(to IN LISTS _folders)
      if(_n_${from}_${to})
        message("${from} -> ${to}: ${_n_${from}_${to}}")
      endif()
    endforeach()
  endforeach()
endif()

if(_faults GREATER 0)
  message(FATAL_ERROR "${_faults} include(s) against the client's layers")
endif()
message("client layers: no include against the layers")
