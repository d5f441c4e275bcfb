# ORVANT_SANITIZE: a comma-separated sanitizer list ("address,undefined", "thread", ...). When set, every
# target of the project (layers, tools, tests) is compiled and linked with it, undefined behaviour ends
# the program instead of printing and going on, and ctest hands each test the sanitizer options with the
# suppression files of tests/sanitizers/ (reports inside uninstrumented system libraries only).
set(ORVANT_SANITIZE "" CACHE STRING "Sanitizers for every target, e.g. address,undefined or thread")

# The options every test runs with, as NAME=value entries; empty without sanitizers.
set(ORVANT_SANITIZER_ENVIRONMENT "")

if(ORVANT_SANITIZE)
  string(REPLACE "," ";" orvant_sanitizers "${ORVANT_SANITIZE}")
  # -O1: what the sanitizers are made for, quicker to build and run than -O2 with the same reports.
  add_compile_options(-fsanitize=${ORVANT_SANITIZE} -fno-omit-frame-pointer -O1)
  add_link_options(-fsanitize=${ORVANT_SANITIZE})
  if("undefined" IN_LIST orvant_sanitizers)
    add_compile_options(-fno-sanitize-recover=undefined)
  endif()

  set(supp ${CMAKE_SOURCE_DIR}/tests/sanitizers)
  if("address" IN_LIST orvant_sanitizers)
    list(APPEND ORVANT_SANITIZER_ENVIRONMENT
         "ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1"
         "LSAN_OPTIONS=suppressions=${supp}/lsan.supp:print_suppressions=0")
  endif()
  if("undefined" IN_LIST orvant_sanitizers)
    list(APPEND ORVANT_SANITIZER_ENVIRONMENT "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
  endif()
  if("thread" IN_LIST orvant_sanitizers)
    list(APPEND ORVANT_SANITIZER_ENVIRONMENT
         "TSAN_OPTIONS=suppressions=${supp}/tsan.supp:second_deadlock_stack=1:history_size=4")
  endif()
endif()

# orvant_sanitize_tests(DIR): gives every test of DIR the sanitizer options, those that
# gtest_discover_tests adds when ctest starts included. ctest reads the discovered tests from include
# files listed in the directory's TEST_INCLUDE_FILES; one more include file, listed after them, adds the
# options to every test they defined (each sets <target>_TESTS to its names).
function(orvant_sanitize_tests dir)
  if(NOT ORVANT_SANITIZER_ENVIRONMENT)
    return()
  endif()
  get_property(tests DIRECTORY ${dir} PROPERTY TESTS)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  set(modification "")
  foreach(entry ${ORVANT_SANITIZER_ENVIRONMENT})
    string(REGEX REPLACE "^([A-Z_]+)=" "\\1=set:" op "${entry}")
    list(APPEND modification "${op}")
  endforeach()
  if(tests)
    set_tests_properties(${tests} PROPERTIES ENVIRONMENT_MODIFICATION "${modification}")
  endif()
  set(script "")
  foreach(target ${targets})
    string(APPEND script "if(${target}_TESTS)\n"
                         "  set_tests_properties(\${${target}_TESTS} PROPERTIES ENVIRONMENT_MODIFICATION [==[${modification}]==])\n"
                         "endif()\n")
  endforeach()
  set(file ${CMAKE_CURRENT_BINARY_DIR}/sanitizer_environment.cmake)
  file(WRITE ${file} "${script}")
  set_property(DIRECTORY ${dir} APPEND PROPERTY TEST_INCLUDE_FILES ${file})
endfunction()
