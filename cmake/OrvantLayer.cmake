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

# orvant_fuzz_target(NAME SOURCE LIBS ...): with ORVANT_FUZZ and clang a libFuzzer binary; otherwise the
# same entry point linked to a small driver that replays the files named on its command line, so the
# targets always build and a crashing input can be replayed under gcc.
function(orvant_fuzz_target name source)
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE ${ARGN})
  if(ORVANT_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address)
  else()
    target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/fuzz/ReplayMain.cpp)
  endif()
endfunction()
