# Helpers shared by every folder's CMakeLists.txt. One source tree, two configurations:
#  - Win32 (cross, SONGDECK_WIN32): everything, tests run under Wine through CTest;
#  - native (clang, AddressSanitizer + UBSan): only the code that needs no Windows,
#    compiled from a mirror of the sources whose literals are escaped to GBK bytes.
include(GoogleTest)

if(NOT SONGDECK_WIN32)
  set(SD_MIRROR "${CMAKE_BINARY_DIR}/gbksrc")
  execute_process(COMMAND python3 "${CMAKE_SOURCE_DIR}/tools/gbk_mirror.py" "${CMAKE_SOURCE_DIR}" "${SD_MIRROR}"
                  COMMAND_ERROR_IS_FATAL ANY)
  add_custom_target(gbk_mirror ALL
    COMMAND python3 "${CMAKE_SOURCE_DIR}/tools/gbk_mirror.py" "${CMAKE_SOURCE_DIR}" "${SD_MIRROR}"
    COMMENT "Mirroring sources with GBK literals")
endif()

# Paths of this folder's sources in the tree the current configuration compiles.
function(sd_sources out)
  set(result)
  foreach(f ${ARGN})
    if(IS_ABSOLUTE "${f}")
      list(APPEND result "${f}")
    elseif(SONGDECK_WIN32 OR f MATCHES "\\.(rc|def)$")
      list(APPEND result "${CMAKE_CURRENT_SOURCE_DIR}/${f}")
    else()
      file(RELATIVE_PATH rel "${CMAKE_SOURCE_DIR}" "${CMAKE_CURRENT_SOURCE_DIR}/${f}")
      list(APPEND result "${SD_MIRROR}/${rel}")
    endif()
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

function(sd_mirror_dependency target)
  if(NOT SONGDECK_WIN32)
    add_dependencies(${target} gbk_mirror)
  endif()
endfunction()

# sd_library(name SOURCES ... [LIBS ...] [WIN32_ONLY])
# A static library; WIN32_ONLY ones (they include <windows.h>) are left out of the native build.
function(sd_library name)
  cmake_parse_arguments(A "WIN32_ONLY" "" "SOURCES;LIBS" ${ARGN})
  if(A_WIN32_ONLY AND NOT SONGDECK_WIN32)
    return()
  endif()
  sd_sources(srcs ${A_SOURCES})
  add_library(${name} STATIC ${srcs})
  target_link_libraries(${name} PUBLIC sd_flags ${A_LIBS})
  sd_mirror_dependency(${name})
endfunction()

# sd_test(name SOURCES ... [LIBS ...] [WIN32_ONLY] [LOCK resource] [TIMEOUT s])
# A GoogleTest program; its tests are discovered when CTest runs (under Wine for Win32).
# LOCK serialises tests that share a machine-wide resource (the registry key, the player window).
function(sd_test name)
  cmake_parse_arguments(A "WIN32_ONLY" "LOCK;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(A_WIN32_ONLY AND NOT SONGDECK_WIN32)
    return()
  endif()
  sd_sources(srcs ${A_SOURCES})
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE sd_flags ${A_LIBS} GTest::gmock GTest::gtest_main)
  sd_mirror_dependency(${name})
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 120)
  endif()
  set(props TIMEOUT ${A_TIMEOUT})
  if(A_LOCK)
    list(APPEND props RESOURCE_LOCK ${A_LOCK})
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       WORKING_DIRECTORY "$<TARGET_FILE_DIR:${name}>"
                       PROPERTIES ${props})
endfunction()

# sd_fuzzer(name SOURCES ... [LIBS ...] [CORPUS dir] [SECONDS n]): a libFuzzer target (native
# build only), run by CTest for n seconds (default 20) from the given seed corpus.
function(sd_fuzzer name)
  cmake_parse_arguments(A "" "CORPUS;SECONDS" "SOURCES;LIBS" ${ARGN})
  if(SONGDECK_WIN32)
    return()
  endif()
  if(NOT A_SECONDS)
    set(A_SECONDS 20)
  endif()
  sd_sources(srcs ${A_SOURCES})
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE sd_flags ${A_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  sd_mirror_dependency(${name})
  set(work "${CMAKE_CURRENT_BINARY_DIR}/${name}-corpus")
  add_test(NAME ${name}
           COMMAND sh -c "rm -rf '${work}' && mkdir -p '${work}' && cp -r '${A_CORPUS}'/. '${work}'/ 2>/dev/null; exec '$<TARGET_FILE:${name}>' -max_total_time=${A_SECONDS} -malloc_limit_mb=256 -rss_limit_mb=2048 -print_final_stats=1 '${work}'")
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()

# sd_host_tool(name SOURCES ... ): a program for the build machine (skin builder, descriptor
# writer), compiled with the host's g++ whatever the configuration, with GBK literals.
# Sets ${name}_EXE in the caller's scope to its path; depend on target host_${name}.
function(sd_host_tool name)
  cmake_parse_arguments(A "" "" "SOURCES" ${ARGN})
  set(srcs)
  foreach(f ${A_SOURCES})
    if(IS_ABSOLUTE "${f}")
      list(APPEND srcs "${f}")
    else()
      list(APPEND srcs "${CMAKE_CURRENT_SOURCE_DIR}/${f}")
    endif()
  endforeach()
  set(exe "${CMAKE_BINARY_DIR}/host/${name}")
  add_custom_command(OUTPUT "${exe}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/host"
    COMMAND g++ -std=c++20 -O1 -finput-charset=UTF-8 -fexec-charset=GBK -I "${CMAKE_SOURCE_DIR}"
            -o "${exe}" ${srcs}
    DEPENDS ${srcs}
    COMMENT "Building host tool ${name}"
    VERBATIM)
  add_custom_target(host_${name} DEPENDS "${exe}")
  set(${name}_EXE "${exe}" PARENT_SCOPE)
endfunction()

# The player's own Windows sources are gathered from every folder into one library,
# sd_player (made in app/), so that verbs, windows and engines may call each other.
function(sd_player_sources)
  if(NOT SONGDECK_WIN32)
    return()
  endif()
  foreach(f ${ARGN})
    set_property(GLOBAL APPEND PROPERTY SD_PLAYER_SOURCES "${CMAKE_CURRENT_SOURCE_DIR}/${f}")
  endforeach()
endfunction()
function(sd_player_libs)
  set_property(GLOBAL APPEND PROPERTY SD_PLAYER_LIBS ${ARGN})
endfunction()
# Dialog templates: compiled into the program itself (resources are not pulled from a
# static library).
function(sd_player_resources)
  foreach(f ${ARGN})
    set_property(GLOBAL APPEND PROPERTY SD_PLAYER_RESOURCES "${CMAKE_CURRENT_SOURCE_DIR}/${f}")
  endforeach()
endfunction()
