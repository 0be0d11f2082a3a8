# Run at every build: writes the header that names the git commit the program
# is built from, rewriting it only when the commit (or its dirty state)
# changes, so an unchanged checkout rebuilds nothing.
#   -DSOURCE_DIR=<checkout> -DOUTPUT=<header>
cmake_minimum_required(VERSION 3.22)
set(commit "")
find_package(Git QUIET)
if(GIT_FOUND AND EXISTS "${SOURCE_DIR}/.git")
  execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${SOURCE_DIR}" rev-parse --short=12 HEAD
    OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
  if(failed)
    set(commit "")
  else()
    execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${SOURCE_DIR}" diff --quiet HEAD --
      RESULT_VARIABLE dirty ERROR_QUIET)
    if(dirty)
      string(APPEND commit "-modified")
    endif()
  endif()
endif()
file(CONFIGURE OUTPUT "${OUTPUT}" CONTENT
  "// Written by the build: the git commit of this build, empty outside a checkout.\n#pragma once\n#define KORVA_BUILD_COMMIT \"@commit@\"\n" @ONLY)
