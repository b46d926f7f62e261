# Shared build rules. A module's sources, tests, benchmarks and fuzz targets are found
# by folder convention, so adding a file never means editing a CMake file:
#   <dir>/src/**.cpp     the library      <dir>/include   its public headers
#   <dir>/tests/*.cpp    one GoogleTest binary per module
#   <dir>/bench/*.cpp    one benchmark program per file
#   <dir>/fuzz/*.cpp     one libFuzzer target per file (KX2_FUZZ builds only)

# Test data shipped outside the project; tests skip with a message when it is absent. A
# worktree elsewhere names it with -DKX2_SHARED_DIR=...
if(NOT KX2_SHARED_DIR)
  get_filename_component(KX2_SHARED_DIR "${CMAKE_SOURCE_DIR}/../shared" ABSOLUTE)
endif()

function(kx2_sources out)
  set(files)
  foreach(dir ${ARGN})
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${dir}/src/*.cpp ${dir}/src/*.c)
    list(APPEND files ${found})
  endforeach()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# kx2_library(Name [STATIC] [NO_PREFIX] [OUTPUT name] [SUFFIX s] DIRS d... [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
#
# Shared libraries build with hidden visibility (inline functions too): only what the
# export macros mark leaves the library (KX2_EXPORT, KX2_API, BASALT_API, PLASTRUM_API,
# VANTOREL_API, the plug-in's entry points and ordinal table). The sources are compiled
# once into the OBJECT library <Name>Objects; the shared library is made of its objects,
# and a test or benchmark that needs the library's internals links <Name>Objects in
# place of <Name> (it then holds its own copy of the library: see platform/README.md).
# Everything the sources need to compile goes through PUBLIC_LIBS and PRIVATE_LIBS, so
# that both targets see it.
function(kx2_library name)
  cmake_parse_arguments(A "STATIC;NO_PREFIX" "OUTPUT;SUFFIX" "DIRS;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
  kx2_sources(srcs ${A_DIRS})
  if(NOT srcs)
    message(FATAL_ERROR "kx2_library(${name}): no sources under ${A_DIRS}")
  endif()
  if(A_STATIC)
    # Linked into shared libraries, whose exports it must not widen.
    add_library(${name} STATIC ${srcs})
    kx2_hidden_visibility(${name})
  else()
    set(objects ${name}Objects)
    add_library(${objects} OBJECT ${srcs})
    kx2_hidden_visibility(${objects})
    foreach(dir ${A_DIRS})
      target_include_directories(${objects} PUBLIC ${dir}/include PRIVATE ${dir}/src)
    endforeach()
    # A target linking the objects also needs what they call.
    target_link_libraries(${objects} PUBLIC ${A_PUBLIC_LIBS} PRIVATE ${A_PRIVATE_LIBS})
    foreach(lib ${A_PRIVATE_LIBS})
      target_link_libraries(${objects} INTERFACE $<LINK_ONLY:${lib}>)
    endforeach()
    # Whatever a module's CMake file adds to <Name> afterwards (compile options,
    # definitions, the include folders of libraries it links) compiles the objects too.
    target_compile_options(${objects} PRIVATE $<TARGET_PROPERTY:${name},COMPILE_OPTIONS>)
    target_compile_definitions(${objects} PRIVATE $<TARGET_PROPERTY:${name},COMPILE_DEFINITIONS>)
    target_include_directories(${objects} PRIVATE $<TARGET_PROPERTY:${name},INCLUDE_DIRECTORIES>)
    add_library(${name} SHARED $<TARGET_OBJECTS:${objects}>)
    kx2_hidden_visibility(${name})
    target_link_options(${name} PRIVATE -Wl,--version-script=${KX2_HIDE_STD_MAP})
    set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${KX2_HIDE_STD_MAP})
    if(NOT KX2_SANITIZE AND NOT KX2_FUZZ AND NOT KX2_TSAN)
      # A symbol another library forgot to export fails the link here, not at load time.
      # (Sanitizer runtimes are resolved by the program, so they build without it.)
      target_link_options(${name} PRIVATE -Wl,--no-undefined)
    endif()
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

set(KX2_HIDE_STD_MAP ${CMAKE_CURRENT_LIST_DIR}/hide-std.map)

function(kx2_hidden_visibility target)
  set_target_properties(${target} PROPERTIES
    C_VISIBILITY_PRESET hidden CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
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

# kx2_tests(binary DIRS d... LIBS ... [LABELS l...]): the test binaries of a module. Suites
# that start threads carry the label "threads" (scripts/test --tsan runs them under
# ThreadSanitizer): either the whole binary (LABELS threads) or, by name, the files
# tests/*_threads_test.cpp, which go to a second binary <binary>_threads. Other files that
# are not *_test.cpp (shared fixtures) go to both.
function(kx2_tests bin)
  if(NOT KX2_TESTS OR KX2_FUZZ)
    return()
  endif()
  cmake_parse_arguments(A "" "LOCK" "DIRS;LIBS;LABELS" ${ARGN})
  # LOCK name: the binary's tests share a process-wide folder they empty or fill (such as the
  # application's "${Temp}" folder, which lies in the shared test home), so ctest runs them
  # one at a time rather than in parallel.
  set(KX2_TEST_LOCK ${A_LOCK})
  set(srcs)
  set(thread_srcs)
  set(support)
  foreach(dir ${A_DIRS})
    file(GLOB found CONFIGURE_DEPENDS ${dir}/tests/*.cpp)
    foreach(f ${found})
      if(f MATCHES "_threads_test\\.cpp$")
        list(APPEND thread_srcs ${f})
      elseif(f MATCHES "_test\\.cpp$")
        list(APPEND srcs ${f})
      else()
        list(APPEND support ${f})
      endif()
    endforeach()
  endforeach()
  if(srcs)
    kx2_test_binary(${bin} "${srcs};${support}" "${A_DIRS}" "${A_LIBS}" "${A_LABELS}")
  endif()
  if(thread_srcs)
    set(labels ${A_LABELS})
    list(APPEND labels threads)
    list(REMOVE_DUPLICATES labels)
    kx2_test_binary(${bin}_threads "${thread_srcs};${support}" "${A_DIRS}" "${A_LIBS}" "${labels}")
  endif()
endfunction()

function(kx2_test_binary bin srcs dirs libs labels)
  add_executable(${bin} ${srcs})
  foreach(dir ${dirs})
    target_include_directories(${bin} PRIVATE ${dir}/src ${dir}/tests)
  endforeach()
  target_link_libraries(${bin} PRIVATE ${libs} Kx2Testing GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  # The optimiser spent more than half of every build's compile time on the expanded macros
  # of the tests' own code, which runs for moments: the tests compile unoptimised, which
  # halves that time (the thread-checked suites run a few seconds longer, the others no
  # longer), while the code they test keeps the build's own level.
  target_compile_options(${bin} PRIVATE -O0)
  target_compile_definitions(${bin} PRIVATE
    KX2_SHARED_DIR="${KX2_SHARED_DIR}"
    KX2_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    KX2_BIN_DIR="${KX2_OUT}")
  gtest_discover_tests(${bin} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 TEST_LIST ${bin}_TESTS)
  # The environment is a list: passed through gtest_discover_tests' PROPERTIES it reached the
  # tests cut at its separators (only its first entry survived), so it is set here, on the
  # discovered list, after discovery has run.
  set(label_property)
  if(labels)
    set(label_property "LABELS \"${labels}\"")
  endif()
  if(KX2_TEST_LOCK)
    set(label_property "${label_property} RESOURCE_LOCK ${KX2_TEST_LOCK}")
  endif()
  if("threads" IN_LIST labels)
    # scripts/test --tsan builds these alone.
    if(NOT TARGET kx2_threads_tests)
      add_custom_target(kx2_threads_tests)
    endif()
    add_dependencies(kx2_threads_tests ${bin})
  endif()
  set(properties ${CMAKE_CURRENT_BINARY_DIR}/${bin}_properties.cmake)
  # Each test also gets a temporary folder of its own: ctest runs tests as parallel processes,
  # and code that empties or fills a fixed folder under the temporary folder ("${Temp}\Taloria")
  # would otherwise meet another test's files.
  file(WRITE ${properties}
    "set(kx2_index 0)\n"
    "foreach(test IN LISTS ${bin}_TESTS)\n"
    "  math(EXPR kx2_index \"\${kx2_index} + 1\")\n"
    "  set(kx2_tmp \"${KX2_TEST_HOME}/tmp/${bin}-\${kx2_index}\")\n"
    "  file(MAKE_DIRECTORY \"\${kx2_tmp}\")\n"
    "  set_tests_properties(\"\${test}\" PROPERTIES ENVIRONMENT \"${KX2_TEST_ENVIRONMENT};TMP=\${kx2_tmp};TEMP=\${kx2_tmp};TMPDIR=\${kx2_tmp}\" ${label_property})\n"
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
      target_link_libraries(fuzz_${stem} PRIVATE ${A_LIBS} Kx2Testing)
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
