# SPDX-License-Identifier: MIT
# cmake -DPROGRAM=<file> -P needed_libraries.cmake: fails when the built
# program loads a library of Qt's window system. The core test runner must
# run where there is no display and no Qt Gui at all.
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND readelf -d ${PROGRAM} OUTPUT_VARIABLE dynamic RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "readelf could not read ${PROGRAM}")
endif()
string(REGEX MATCHALL "\\(NEEDED\\)[^\n]*" needed "${dynamic}")
if(NOT needed MATCHES "libQt6Core")
  message(FATAL_ERROR "${PROGRAM} does not load Qt Core; the check reads the wrong file: ${needed}")
endif()
if(needed MATCHES "libQt6(Gui|Widgets|OpenGL|PrintSupport)")
  message(FATAL_ERROR "${PROGRAM} loads the window system: ${needed}")
endif()
message(STATUS "${PROGRAM} loads: ${needed}")
