# Makes the import library of a 32-bit MinGW build of the DLL:
#   cmake -DNM=<nm> -DDLLTOOL=<dlltool> -DOBJECTS=<obj|obj|...>
#         -DEXPORTS=<exports.list> -DDEF_FILE=<out .def>
#         -DIMPORT_LIBRARY=<out .dll.a> -DDLL_NAME=<file name> -P this file
# Every listed name must be defined in the objects as a __stdcall symbol
# (_Name@N); the module-definition file written pairs each decorated name
# with its ordinal, and dlltool --kill-at turns it into an import library
# whose _Name@N symbols import the plain export Name.
cmake_minimum_required(VERSION 3.25)

string(REPLACE "|" ";" objects "${OBJECTS}")
execute_process(COMMAND ${NM} --defined-only ${objects}
  OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${NM} failed on the library's objects")
endif()

file(STRINGS ${EXPORTS} lines REGEX "^[A-Za-z]")
set(def "; Exports of ${DLL_NAME} (32-bit): each name is exported plainly\n")
string(APPEND def "; (without its @N, the size of its __stdcall arguments) at its ordinal.\n")
string(APPEND def "LIBRARY \"${DLL_NAME}\"\nEXPORTS\n")
foreach(line IN LISTS lines)
  string(REGEX MATCH "^([A-Za-z0-9_]+)[ \t]+([0-9]+)" _ "${line}")
  set(name ${CMAKE_MATCH_1})
  set(ordinal ${CMAKE_MATCH_2})
  string(REGEX MATCH " T _${name}@([0-9]+)\n" _ "${symbols}")
  set(size "${CMAKE_MATCH_1}")
  if(size STREQUAL "")
    message(FATAL_ERROR "${name} is not defined as a __stdcall function in the library's objects")
  endif()
  string(APPEND def "  ${name}@${size} @${ordinal}\n")
endforeach()
file(WRITE ${DEF_FILE} "${def}")

execute_process(COMMAND ${DLLTOOL} --kill-at --input-def ${DEF_FILE}
  --dllname ${DLL_NAME} --output-lib ${IMPORT_LIBRARY}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${DLLTOOL} failed")
endif()
