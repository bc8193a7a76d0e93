# Shared build settings and helpers.

list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR})

if(WIN32)
  # 32-bit Windows target: no mingw runtime DLL beside the binaries.
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501 WINVER=0x0501)
  add_compile_options(-Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers
                      -march=i686 -mstackrealign)
  find_program(SELVANE_DLLTOOL i686-w64-mingw32-dlltool REQUIRED)
  set(SELVANE_STATIC_RUNTIME -static -static-libgcc -static-libstdc++)
  add_link_options(${SELVANE_STATIC_RUNTIME})
  set(CMAKE_EXE_LINKER_FLAGS "${CMAKE_EXE_LINKER_FLAGS} -Wl,--large-address-aware")
  set(CMAKE_SHARED_LINKER_FLAGS "${CMAKE_SHARED_LINKER_FLAGS} -Wl,--enable-stdcall-fixup")
else()
  add_compile_options(-Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers)
endif()

set(SELVANE_TEST_TIMEOUT 600 CACHE STRING "Default time-out of one test executable, in seconds")

# gtest for the target: Debian's googletest source, built with the cross compiler.
function(selvane_add_gtest_target)
  if(TARGET gtest)
    return()
  endif()
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endfunction()

function(selvane_add_gtest_native)
  find_package(GTest QUIET)
  if(NOT GTest_FOUND)
    selvane_add_gtest_target()
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
endfunction()

# selvane_test(NAME SOURCES... [LIBS ...] [TIMEOUT s] [LABELS ...] [WILL_FAIL] [NO_MAIN])
# One executable, run as one process (Wine start-up is not free).
function(selvane_test name)
  cmake_parse_arguments(T "WILL_FAIL;NO_MAIN" "TIMEOUT" "SOURCES;LIBS;LABELS;DEFINES" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${T_UNPARSED_ARGUMENTS})
  if(T_NO_MAIN)
    target_link_libraries(${name} PRIVATE ${T_LIBS} gtest gmock)
  else()
    target_link_libraries(${name} PRIVATE ${T_LIBS} gtest gmock gtest_main)
  endif()
  target_compile_definitions(${name} PRIVATE
      SELVANE_TEST_DATA="${SELVANE_TEST_DATA}"
      SELVANE_CONFORMANCE="${SELVANE_CONFORMANCE}"
      SELVANE_BINARY_DIR="${CMAKE_BINARY_DIR}"
      ${T_DEFINES})
  target_include_directories(${name} PRIVATE ${SELVANE_ROOT}/tests/support)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT ${SELVANE_TEST_TIMEOUT})
  endif()
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(WIN32)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine
        ENVIRONMENT "SELVANE_WINE_STATE=${CMAKE_BINARY_DIR}/wine")
  endif()
  if(T_WILL_FAIL)
    set_tests_properties(${name} PROPERTIES WILL_FAIL TRUE)
  endif()
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()

# selvane_dll(TARGET DEF_FILE EXPORTS_FILE LIBS...): a DLL whose exports are
# pinned by a .def file; the export check compares it with EXPORTS_FILE.
function(selvane_dll target def exports)
  add_library(${target} SHARED ${def})
  set_target_properties(${target} PROPERTIES PREFIX "" IMPORT_PREFIX "lib"
      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin
      LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  # The .def file names stdcall exports with their @N size ("NET_Init@0");
  # --kill-at exports them undecorated while the import library keeps the
  # decorated symbols that callers reference.
  target_link_options(${target} PRIVATE -Wl,--kill-at)
  foreach(lib ${ARGN})
    target_link_libraries(${target} PRIVATE $<LINK_LIBRARY:WHOLE_ARCHIVE,${lib}>)
  endforeach()
  # ld's own import library loses the decoration as well; dlltool -k makes
  # one whose decorated symbols import the undecorated names.
  add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${SELVANE_DLLTOOL} -k -d ${def} -D ${target}.dll -l $<TARGET_LINKER_FILE:${target}>
      VERBATIM)
  set_property(GLOBAL APPEND PROPERTY SELVANE_DLLS "${target}|${exports}")
endfunction()

# selvane_sound_files(TEST): the test plays into and records from files of
# its own (build/sound/TEST.played.raw, build/sound/TEST.capture.raw) instead
# of the session's null device; tests/support/sound_kit.h reads and writes them.
function(selvane_sound_files name)
  set(dir ${CMAKE_BINARY_DIR}/sound)
  file(MAKE_DIRECTORY ${dir})
  set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT
      "SELVANE_SOUND_OUT=${dir}/${name}.played.raw" "SELVANE_SOUND_IN=${dir}/${name}.capture.raw")
endfunction()
