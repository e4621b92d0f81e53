# The one INTERFACE target that carries the language standard, warnings and
# definitions. Every target of the project links it.
add_library(wk_common INTERFACE)
target_compile_features(wk_common INTERFACE cxx_std_20)
target_compile_options(wk_common INTERFACE -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)
if(WK_WERROR)
  target_compile_options(wk_common INTERFACE -Werror)
endif()
target_include_directories(wk_common INTERFACE ${PROJECT_SOURCE_DIR})
target_compile_definitions(wk_common INTERFACE _FILE_OFFSET_BITS=64)
target_link_libraries(wk_common INTERFACE Threads::Threads)

if(WK_SANITIZE)
  target_compile_options(wk_common INTERFACE -fsanitize=${WK_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(wk_common INTERFACE -fsanitize=${WK_SANITIZE})
endif()

# wk_layer_library(NAME DIR [DEPS ...]): a static library of every .cpp in DIR
# (subfolders included, except a "tests" or "testing" folder: test support is a library of
# its own). Files are globbed so that adding a source file needs no edit here. DEPS are
# PRIVATE unless listed under PUBLIC_DEPS, so a layer above cannot include a third-party
# library by accident. QT runs Qt's meta-object compiler over the library's headers.
function(wk_layer_library name dir)
  cmake_parse_arguments(ARG "QT" "" "DEPS;PUBLIC_DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
  list(FILTER srcs EXCLUDE REGEX "/tests/")
  list(FILTER srcs EXCLUDE REGEX "/testing/")
  list(FILTER srcs EXCLUDE REGEX "_main\\.cpp$")
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_link_libraries(${name} PUBLIC wk_common ${ARG_PUBLIC_DEPS} PRIVATE ${ARG_DEPS})
    if(ARG_QT)
      set_target_properties(${name} PROPERTIES AUTOMOC ON)
    endif()
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE wk_common ${ARG_PUBLIC_DEPS} ${ARG_DEPS})
  endif()
endfunction()

# wk_add_test(NAME SOURCES ... LIBS ... [LABELS ...] [GUI SUITE]): a GoogleTest executable whose
# cases are registered with ctest; every one has the helpers of tests/support. The test environment (LANG=C.UTF-8,
# QT_QPA_PLATFORM=offscreen, WK_TEST_DATA) is set by tests/support/test_main.cpp and by the
# ctest ENVIRONMENT property (LANG; gtest_discover_tests keeps only one entry).
# GUI tests get tests/support/gui/gui_test_main.cpp instead (the QApplication on the
# offscreen platform, Fusion style, DejaVu Sans) and SaveScreenshot, which writes
# <build>/screenshots/SUITE/<name>.png (WK_SCREENSHOT_DIR overrides the folder).
function(wk_add_test name)
  cmake_parse_arguments(ARG "GUI" "SUITE" "SOURCES;LIBS;LABELS" ${ARGN})
  if(ARG_GUI)
    add_executable(${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/gui/gui_test_main.cpp
                           ${PROJECT_SOURCE_DIR}/tests/support/gui/screenshot.cpp
                           ${PROJECT_SOURCE_DIR}/tests/support/temp_dir.cpp)
    target_link_libraries(${name} PRIVATE Qt6::Widgets Qt6::Test)
    target_compile_definitions(${name} PRIVATE WK_SCREENSHOT_DIR="${PROJECT_BINARY_DIR}/screenshots"
                               WK_SCREENSHOT_SUITE="${ARG_SUITE}"
                               WK_SANITIZER_DIR="${PROJECT_SOURCE_DIR}/tests/support/sanitizers")
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
  else()
    add_executable(${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/test_main.cpp
                           ${PROJECT_SOURCE_DIR}/tests/support/temp_dir.cpp)
  endif()
  target_link_libraries(${name} PRIVATE wk_common ${ARG_LIBS} GTest::gtest GTest::gmock)
  target_compile_definitions(${name} PRIVATE WK_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "LANG=C.UTF-8" LABELS "${ARG_LABELS}")
endfunction()
