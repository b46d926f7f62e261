# Shared build rules. A module's sources, tests, benchmarks and fuzz targets are found
# by folder convention, so adding a file never means editing a CMake file:
#   <dir>/src/**.cpp     the library      <dir>/include   its public headers
#   <dir>/tests/*.cpp    one GoogleTest binary per module
#   <dir>/bench/*.cpp    one benchmark program per file
#   <dir>/fuzz/*.cpp     one libFuzzer target per file (KX2_FUZZ builds only)

# Test data shipped outside the project; tests skip with a message when it is absent.
get_filename_component(KX2_SHARED_DIR "${CMAKE_SOURCE_DIR}/../shared" ABSOLUTE)

function(kx2_sources out)
  set(files)
  foreach(dir ${ARGN})
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${dir}/src/*.cpp ${dir}/src/*.c)
    list(APPEND files ${found})
  endforeach()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# kx2_library(Name [STATIC] [NO_PREFIX] [OUTPUT name] [SUFFIX s] DIRS d... [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
function(kx2_library name)
  cmake_parse_arguments(A "STATIC;NO_PREFIX" "OUTPUT;SUFFIX" "DIRS;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
  kx2_sources(srcs ${A_DIRS})
  if(NOT srcs)
    # A deliverable whose code has not arrived yet still exists as a target, so that
    # the modules and tests that link it configure.
    set(placeholder ${CMAKE_BINARY_DIR}/placeholder_${name}.cpp)
    file(WRITE ${placeholder} "// no sources yet\n")
    set(srcs ${placeholder})
  endif()
  if(A_STATIC)
    add_library(${name} STATIC ${srcs})
  else()
    add_library(${name} SHARED ${srcs})
  endif()
  foreach(dir ${A_DIRS})
    target_include_directories(${name} PUBLIC ${dir}/include PRIVATE ${dir}/src)
  endforeach()
  target_link_libraries(${name} PUBLIC ${A_PUBLIC_LIBS} PRIVATE ${A_PRIVATE_LIBS})
  if(A_OUTPUT)
    set_target_properties(${name} PROPERTIES OUTPUT_NAME ${A_OUTPUT})
  endif()
  if(A_NO_PREFIX)
    set_target_properties(${name} PROPERTIES PREFIX "")
  endif()
  if(A_SUFFIX)
    set_target_properties(${name} PROPERTIES SUFFIX "${A_SUFFIX}")
  endif()
endfunction()

# Every test's environment. Every process that links the foundation reads the registry at
# start-up; tests keep that (and every other per-user folder) inside the build tree, never
# the user's own. Fonts are the test fonts alone, so sizes and pixels do not depend on the
# machine; pictures meant for a person go to KX2_TEST_OUTPUT.
set(KX2_TEST_HOME ${CMAKE_BINARY_DIR}/test-home)
set(KX2_TEST_OUTPUT_DIR ${CMAKE_BINARY_DIR}/test-output)
file(MAKE_DIRECTORY ${KX2_TEST_OUTPUT_DIR})
set(KX2_TEST_ENVIRONMENT
  "KX2_BIN_DIR=${KX2_OUT}"
  "XDG_CONFIG_HOME=${KX2_TEST_HOME}/config"
  "XDG_DATA_HOME=${KX2_TEST_HOME}/data"
  "XDG_CACHE_HOME=${KX2_TEST_HOME}/cache"
  "FONTCONFIG_FILE=${CMAKE_SOURCE_DIR}/testing/fonts.conf"
  "KX2_TEST_OUTPUT=${KX2_TEST_OUTPUT_DIR}")

# kx2_tests(binary DIRS d... LIBS ... [LABELS l...]): one test binary for a module; suites
# that start threads carry the label "threads".
function(kx2_tests bin)
  if(NOT KX2_TESTS OR KX2_FUZZ)
    return()
  endif()
  cmake_parse_arguments(A "" "" "DIRS;LIBS;LABELS" ${ARGN})
  set(srcs)
  foreach(dir ${A_DIRS})
    file(GLOB found CONFIGURE_DEPENDS ${dir}/tests/*.cpp)
    list(APPEND srcs ${found})
  endforeach()
  if(NOT srcs)
    return()
  endif()
  add_executable(${bin} ${srcs})
  foreach(dir ${A_DIRS})
    target_include_directories(${bin} PRIVATE ${dir}/src ${dir}/tests)
  endforeach()
  target_link_libraries(${bin} PRIVATE ${A_LIBS} Kx2Testing GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  target_compile_definitions(${bin} PRIVATE
    KX2_SHARED_DIR="${KX2_SHARED_DIR}"
    KX2_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    KX2_BIN_DIR="${KX2_OUT}")
  gtest_discover_tests(${bin} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 TEST_LIST ${bin}_TESTS)
  # The environment is a list: passed through gtest_discover_tests' PROPERTIES it reached the
  # tests cut at its separators (only its first entry survived), so it is set here, on the
  # discovered list, after discovery has run.
  set(labels)
  if(A_LABELS)
    set(labels "LABELS \"${A_LABELS}\"")
  endif()
  set(properties ${CMAKE_CURRENT_BINARY_DIR}/${bin}_properties.cmake)
  file(WRITE ${properties}
    "foreach(test IN LISTS ${bin}_TESTS)\n"
    "  set_tests_properties(\"\${test}\" PROPERTIES ENVIRONMENT \"${KX2_TEST_ENVIRONMENT}\" ${labels})\n"
    "endforeach()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${properties})
endfunction()

# kx2_benches(prefix DIRS d... LIBS ...): one program per bench/*.cpp.
function(kx2_benches prefix)
  if(NOT KX2_BENCH OR KX2_FUZZ OR KX2_SANITIZE)
    return()
  endif()
  cmake_parse_arguments(A "" "" "DIRS;LIBS" ${ARGN})
  foreach(dir ${A_DIRS})
    file(GLOB found CONFIGURE_DEPENDS ${dir}/bench/*.cpp)
    foreach(f ${found})
      get_filename_component(stem ${f} NAME_WE)
      add_executable(bench_${stem} ${f})
      target_include_directories(bench_${stem} PRIVATE ${dir}/src)
      target_link_libraries(bench_${stem} PRIVATE ${A_LIBS} benchmark::benchmark Threads::Threads)
      target_compile_definitions(bench_${stem} PRIVATE
        KX2_SHARED_DIR="${KX2_SHARED_DIR}" KX2_SOURCE_DIR="${CMAKE_SOURCE_DIR}" KX2_BIN_DIR="${KX2_OUT}")
    endforeach()
  endforeach()
endfunction()

# kx2_fuzzers(DIRS d... LIBS ...): one libFuzzer target per fuzz/*.cpp.
function(kx2_fuzzers)
  if(NOT KX2_FUZZ)
    return()
  endif()
  cmake_parse_arguments(A "" "" "DIRS;LIBS" ${ARGN})
  foreach(dir ${A_DIRS})
    file(GLOB found CONFIGURE_DEPENDS ${dir}/fuzz/*.cpp)
    foreach(f ${found})
      get_filename_component(stem ${f} NAME_WE)
      add_executable(fuzz_${stem} ${f})
      target_include_directories(fuzz_${stem} PRIVATE ${dir}/src)
      target_link_libraries(fuzz_${stem} PRIVATE ${A_LIBS})
      target_link_options(fuzz_${stem} PRIVATE -fsanitize=fuzzer)
      target_compile_definitions(fuzz_${stem} PRIVATE
        KX2_SHARED_DIR="${KX2_SHARED_DIR}" KX2_SOURCE_DIR="${CMAKE_SOURCE_DIR}" KX2_BIN_DIR="${KX2_OUT}")
    endforeach()
  endforeach()
endfunction()

# Libraries a module's benchmarks and tests may compare against.
set(KX2_PEER_LIBS ZLIB::ZLIB OpenSSL::Crypto ICU::uc ICU::i18n)
if(PUGIXML_FOUND)
  list(APPEND KX2_PEER_LIBS PkgConfig::PUGIXML)
endif()
if(LIBDEFLATE_FOUND)
  list(APPEND KX2_PEER_LIBS PkgConfig::LIBDEFLATE)
endif()
if(LIBZIP_FOUND)
  list(APPEND KX2_PEER_LIBS PkgConfig::LIBZIP)
endif()
