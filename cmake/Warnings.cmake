# One place for the warning flags every target of the project gets.
function(kv_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
                                           -Wnon-virtual-dtor -Woverloaded-virtual)
  # GCC 12 at -O3 (CMake's Release) reports, inside libstdc++, -Wrestrict for every "literal" + std::string and
  # -Wstringop-overread for comparing byte vectors: false positives of that release, at some thirty places of the
  # tree. They are off for GCC 12 alone, so that a plain Release build is clean without changing those places.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
     AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict -Wno-stringop-overread)
  endif()
  if(KV_WARNINGS_AS_ERRORS)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# kv_add_layer(NAME SOURCES... DEPS ...): a layer library whose headers are included as "<layer>/<file>.h".
function(kv_add_layer name)
  cmake_parse_arguments(L "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${L_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${L_DEPS})
  kv_set_warnings(${name})
endfunction()
