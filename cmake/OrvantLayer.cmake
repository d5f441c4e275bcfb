# orvant_layer(NAME DEPS ...): one static library per architecture layer, made of every .cpp in the
# layer's folder (sub-folders included). A layer without sources yet is an interface library, so the
# layers above it can already name it.
function(orvant_layer name)
  cmake_parse_arguments(L "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(srcs)
    add_library(orvant_${name} STATIC ${srcs})
    target_include_directories(orvant_${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(orvant_${name} PUBLIC ${L_DEPS})
  else()
    add_library(orvant_${name} INTERFACE)
    target_include_directories(orvant_${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(orvant_${name} INTERFACE ${L_DEPS})
  endif()
  set_property(GLOBAL APPEND PROPERTY ORVANT_LAYERS orvant_${name})
endfunction()

# Fuzz build (ORVANT_FUZZ, clang only): every target of ours is compiled with libFuzzer's coverage and
# the address and undefined-behaviour checks, so the fuzz targets are guided by, and watch over, the code
# they drive, not only their own file. Undefined behaviour stops the run like a crash. Programs link the
# sanitizer runtimes; only the fuzz targets link libFuzzer's driver.
if(ORVANT_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ORVANT_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# orvant_fuzz_target(NAME SOURCE CORPUS LIBS ...): with ORVANT_FUZZ a libFuzzer binary; otherwise the
# same entry point linked to a small driver that replays the files (or folders of files) named on its
# command line, so the targets always build and a crashing input can be replayed under gcc. Either way
# the test fuzz_corpus_NAME replays the seed corpus folder CORPUS once, so that a committed reproducer
# keeps its fault mended.
function(orvant_fuzz_target name source corpus)
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE ${ARGN})
  if(ORVANT_FUZZ)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    add_test(NAME ${name}_corpus COMMAND ${name} -runs=0 ${corpus})
  else()
    target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/fuzz/ReplayMain.cpp)
    add_test(NAME ${name}_corpus COMMAND ${name} ${corpus})
  endif()
  set_tests_properties(${name}_corpus PROPERTIES TIMEOUT 300 ENVIRONMENT
    "QT_QPA_PLATFORM=offscreen;LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/fuzz/LeakSuppressions.txt")
endfunction()
