# Each subsystem folder adds its files to the three layers through these
# functions, so a subsystem never has to know which layers a build contains.
#   korva_core_sources     - C++ standard library only; Qt headers are not on
#                            this library's include path, so a Qt include fails.
#   korva_platform_sources - Qt Core / SerialPort / Network / DBus adapters.
#   korva_gui_sources      - Qt Widgets views and dialogs.

# No test may hang a build: one that runs this long has failed.
set(KORVA_TEST_TIMEOUT 300)

# Precompiled headers: the library headers most files include, parsed once
# per target instead of once per file (most of a file's compile time is
# spent reading Qt's and the standard library's headers). Tests share one
# precompiled header per kind through korva_core_test_pch and
# korva_qt_test_pch, which link exactly what the tests link.
set(KORVA_STD_PCH <algorithm> <array> <chrono> <cmath> <cstdint> <filesystem> <functional> <map>
    <memory> <optional> <span> <string> <string_view> <vector>)
set(KORVA_PLATFORM_PCH ${KORVA_STD_PCH} <QByteArray> <QDateTime> <QFile> <QJsonArray> <QJsonDocument>
    <QJsonObject> <QObject> <QString> <QStringList> <QTimer>)
set(KORVA_GUI_PCH ${KORVA_PLATFORM_PCH} <QApplication> <QCheckBox> <QComboBox> <QDialog> <QGridLayout>
    <QGroupBox> <QHBoxLayout> <QLabel> <QLineEdit> <QMainWindow> <QPainter> <QPushButton> <QScrollArea>
    <QVBoxLayout> <QWidget>)

# Unity builds: the sources of the core, the virtual instrument and each
# test program compiled sixteen to a file, so the headers they share are
# read and instantiated once per batch, not once per source (half the CPU
# time of a fresh build). The Qt views keep a file each: their file-local
# names (colours, menu captions) repeat by design. Off for editing one file
# again and again.
option(KORVA_UNITY "Compile each library's sources in unity batches" ON)
function(korva_compile_in_batches target)
  if(KORVA_UNITY)
    set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 16)
  endif()
endfunction()

# Sources of `target` that compile alone, outside its batches: those whose
# file-local names repeat a neighbour's (a test's helpers, most often).
#   korva_compile_alone(<target> <sources>...)
function(korva_compile_alone target)
  if(TARGET ${target})
    set_source_files_properties(${ARGN} TARGET_DIRECTORY ${target} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
  endif()
endfunction()

function(korva_declare_libraries)
  add_library(korva_core STATIC)
  korva_compile_in_batches(korva_core)
  target_include_directories(korva_core PUBLIC ${PROJECT_SOURCE_DIR}/src)
  set_target_properties(korva_core PROPERTIES AUTOMOC OFF)
  target_precompile_headers(korva_core PRIVATE ${KORVA_STD_PCH})
  if(NOT KORVA_CORE_ONLY)
    add_library(korva_platform STATIC)
    korva_compile_in_batches(korva_platform)
    target_link_libraries(korva_platform PUBLIC korva_core Qt6::Core Qt6::Network Qt6::SerialPort Qt6::DBus)
    target_precompile_headers(korva_platform PRIVATE ${KORVA_PLATFORM_PCH})
    add_library(korva_gui STATIC)
    korva_compile_in_batches(korva_gui)
    target_link_libraries(korva_gui PUBLIC korva_platform Qt6::Widgets)
    target_precompile_headers(korva_gui PRIVATE ${KORVA_GUI_PCH})
  endif()
endfunction()

# The precompiled headers the tests reuse; declared after the virtual
# instrument, which the tests link.
function(korva_declare_test_headers)
  add_library(korva_core_test_pch OBJECT ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  korva_link_like_a_test(korva_core_test_pch korva_core)
  target_precompile_headers(korva_core_test_pch PRIVATE ${KORVA_STD_PCH} <gtest/gtest.h>)
  # Nothing here has Qt objects: an empty moc file would still load the
  # precompiled header (more than a second of CPU each).
  set_target_properties(korva_core_test_pch PROPERTIES AUTOMOC OFF)
  if(TARGET korva_gui)
    add_library(korva_qt_test_pch OBJECT ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
    korva_link_like_a_test(korva_qt_test_pch korva_gui Qt6::Test)
    korva_share_qt_test_header(korva_qt_test_pch)
    target_precompile_headers(korva_qt_test_pch PRIVATE ${KORVA_GUI_PCH} <QtTest/QTest> <gtest/gtest.h>)
    set_target_properties(korva_qt_test_pch PROPERTIES AUTOMOC OFF)
    # The one Qt application object of every Qt test program.
    add_library(korva_qt_test_application OBJECT ${PROJECT_SOURCE_DIR}/tests/support/qt_widgets_application.cpp)
    korva_link_like_a_test(korva_qt_test_application korva_gui Qt6::Test)
    korva_share_qt_test_header(korva_qt_test_application)
    target_precompile_headers(korva_qt_test_application REUSE_FROM korva_qt_test_pch)
    target_include_directories(korva_qt_test_application PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
    set_target_properties(korva_qt_test_application PROPERTIES AUTOMOC OFF)
  endif()
endfunction()

# Qt's test library defines QT_TESTCASE_BUILDDIR and QT_TESTCASE_SOURCEDIR
# as each test's own folders, for QFINDTESTDATA, which no test uses.
# Undefined everywhere, one precompiled header fits the tests of every folder.
function(korva_share_qt_test_header target)
  target_compile_options(${target} PRIVATE -UQT_TESTCASE_BUILDDIR -UQT_TESTCASE_SOURCEDIR)
endfunction()

# Test code is compiled at -O1 in the optimised tree: a fifth less compile
# time than -O2 for the assertion macros' code, while the code under test
# keeps the program's -O2.
function(korva_link_like_a_test target)
  target_link_libraries(${target} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main)
  target_compile_options(${target} PRIVATE $<$<CONFIG:RelWithDebInfo>:-O1>)
  if(TARGET veltra_sim)
    target_link_libraries(${target} PRIVATE veltra_sim)
  endif()
endfunction()

function(korva_core_sources)
  target_sources(korva_core PRIVATE ${ARGN})
endfunction()

function(korva_platform_sources)
  if(TARGET korva_platform)
    target_sources(korva_platform PRIVATE ${ARGN})
  endif()
endfunction()

function(korva_gui_sources)
  if(TARGET korva_gui)
    target_sources(korva_gui PRIVATE ${ARGN})
  endif()
endfunction()

# A test of the core (and of the virtual instrument): built in every tree,
# including the sanitizer tree. NOT_UNDER_SANITIZERS names gtest patterns the
# sanitizer tree leaves out: tests whose time goes into number crunching or
# process kills that the other tests already take through the same code, so
# the sanitizers would find nothing more in them.
#   korva_core_test(<name> <sources>... [ENVIRONMENT <VAR=value>...]
#                   [NOT_UNDER_SANITIZERS <Suite.Test pattern>...])
function(korva_core_test name)
  cmake_parse_arguments(TEST "" "" "ENVIRONMENT;NOT_UNDER_SANITIZERS" ${ARGN})
  add_executable(${name} ${TEST_UNPARSED_ARGUMENTS})
  korva_link_like_a_test(${name} korva_core korva_test_support)
  korva_compile_in_batches(${name})
  target_precompile_headers(${name} REUSE_FROM korva_core_test_pch)
  set_target_properties(${name} PROPERTIES AUTOMOC OFF)
  # Each test case is a test of its own, so a failure names it and a hang
  # stops only it. Under the sanitizers a process takes longer to start and
  # to check for leaks at its exit than most tests take to run: there each
  # program runs all its tests in one process, and gtest names a failure.
  if(KORVA_SANITIZE)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS core TIMEOUT ${KORVA_TEST_TIMEOUT})
    if(TEST_NOT_UNDER_SANITIZERS)
      list(JOIN TEST_NOT_UNDER_SANITIZERS ":" left_out)
      list(APPEND TEST_ENVIRONMENT "GTEST_FILTER=-${left_out}")
    endif()
    if(TEST_ENVIRONMENT)
      set_tests_properties(${name} PROPERTIES ENVIRONMENT "${TEST_ENVIRONMENT}")
    endif()
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST TEST_PREFIX "${name}." PROPERTIES LABELS core
      ENVIRONMENT "${TEST_ENVIRONMENT}" TIMEOUT ${KORVA_TEST_TIMEOUT})
  endif()
endfunction()

# A test that needs Qt (platform adapters, widgets run offscreen). The
# program gets its one QApplication from korva_qt_test_application; its test
# files register none of their own.
function(korva_qt_test name)
  if(TARGET korva_gui)
    add_executable(${name} ${ARGN})
    korva_link_like_a_test(${name} korva_gui Qt6::Test korva_test_support korva_qt_test_application)
    korva_compile_in_batches(${name})
    korva_share_qt_test_header(${name})
    target_precompile_headers(${name} REUSE_FROM korva_qt_test_pch)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST TEST_PREFIX "${name}."
      PROPERTIES LABELS qt ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
      ENVIRONMENT_MODIFICATION "XDG_DATA_HOME=set:${CMAKE_BINARY_DIR}/test-data-home"
      TIMEOUT ${KORVA_TEST_TIMEOUT})
  endif()
endfunction()

# The header that names the build's git commit (cmake/BuildCommit.cmake),
# refreshed at every build. Only the programs' mains include it.
function(korva_declare_build_commit)
  set(output ${CMAKE_BINARY_DIR}/generated/korva_build_commit.h)
  add_custom_target(korva_build_commit
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DOUTPUT=${output}
            -P ${PROJECT_SOURCE_DIR}/cmake/BuildCommit.cmake
    BYPRODUCTS ${output}
    COMMENT "Reading the build's git commit")
endfunction()

function(korva_use_build_commit target)
  add_dependencies(${target} korva_build_commit)
  target_include_directories(${target} PRIVATE ${CMAKE_BINARY_DIR}/generated)
endfunction()
