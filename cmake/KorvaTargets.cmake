# Each subsystem folder adds its files to the three layers through these
# functions, so a subsystem never has to know which layers a build contains.
#   korva_core_sources     - C++ standard library only; Qt headers are not on
#                            this library's include path, so a Qt include fails.
#   korva_platform_sources - Qt Core / SerialPort / Network / DBus adapters.
#   korva_gui_sources      - Qt Widgets views and dialogs.

# No test may hang a build: one that runs this long has failed.
set(KORVA_TEST_TIMEOUT 300)

function(korva_declare_libraries)
  add_library(korva_core STATIC)
  target_include_directories(korva_core PUBLIC ${PROJECT_SOURCE_DIR}/src)
  set_target_properties(korva_core PROPERTIES AUTOMOC OFF)
  if(NOT KORVA_CORE_ONLY)
    add_library(korva_platform STATIC)
    target_link_libraries(korva_platform PUBLIC korva_core Qt6::Core Qt6::Network Qt6::SerialPort Qt6::DBus)
    add_library(korva_gui STATIC)
    target_link_libraries(korva_gui PUBLIC korva_platform Qt6::Widgets)
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
# including the sanitizer tree.
function(korva_core_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE korva_core GTest::gtest GTest::gtest_main)
  if(TARGET veltra_sim)
    target_link_libraries(${name} PRIVATE veltra_sim)
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST TEST_PREFIX "${name}." PROPERTIES LABELS core
    TIMEOUT ${KORVA_TEST_TIMEOUT})
endfunction()

# A test that needs Qt (platform adapters, widgets run offscreen).
function(korva_qt_test name)
  if(TARGET korva_gui)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE korva_gui Qt6::Test GTest::gtest GTest::gtest_main)
    if(TARGET veltra_sim)
      target_link_libraries(${name} PRIVATE veltra_sim)
    endif()
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
