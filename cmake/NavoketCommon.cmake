# Compiler settings shared by every target, carried by one INTERFACE target.
add_library(navoket_common INTERFACE)
target_compile_features(navoket_common INTERFACE cxx_std_20)
target_include_directories(navoket_common INTERFACE ${PROJECT_SOURCE_DIR})
target_compile_options(navoket_common INTERFACE
  -Wall -Wextra -Wpedantic -Wold-style-cast -Wnon-virtual-dtor)
# GCC 12 at -O2 and above reports a false -Wrestrict inside std::string's
# operator+ (GCC bug 105329); it says nothing about our code.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(navoket_common INTERFACE -Wno-restrict)
endif()
target_compile_definitions(navoket_common INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_KEYWORDS)
if(NAVOKET_WERROR)
  target_compile_options(navoket_common INTERFACE -Werror)
endif()
if(NAVOKET_SANITIZE)
  target_compile_options(navoket_common INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(navoket_common INTERFACE -fsanitize=address,undefined)
endif()

# navoket_library(NAME [QT] DEPS ...): a static library from the *.cpp files of
# the current folder (not recursive), or an interface library while it has none.
function(navoket_library name)
  cmake_parse_arguments(ARG "QT" "" "DEPS;SOURCES" ${ARGN})
  if(ARG_SOURCES)
    set(sources ${ARG_SOURCES})
  else()
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_link_libraries(${name} PUBLIC navoket_common ${ARG_DEPS})
    if(ARG_QT)
      set_target_properties(${name} PROPERTIES AUTOMOC ON)
    endif()
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE navoket_common ${ARG_DEPS})
  endif()
endfunction()

# navoket_gtest(NAME DEPS ...): one GoogleTest program from the *_test.cpp files
# of the current folder, each test registered with ctest.
function(navoket_gtest name)
  cmake_parse_arguments(ARG "" "" "DEPS;SOURCES" ${ARGN})
  if(ARG_SOURCES)
    set(sources ${ARG_SOURCES})
  else()
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  endif()
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE navoket_common GTest::gtest GTest::gtest_main ${ARG_DEPS})
  target_compile_definitions(${name} PRIVATE
    NAVOKET_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    NAVOKET_SHARED_DATA_DIR="${PROJECT_SOURCE_DIR}/../shared/data"
    NAVOKET_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 300)
endfunction()
