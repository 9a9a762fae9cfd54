# cmake -DFILE=<program> -DOBJDUMP=<objdump> -P check-imports.cmake
# Fails when the program's import table names a DLL outside Windows' "known DLLs" (always
# taken from the system folder) and the common controls (the manifest's side-by-side
# version). Any other DLL would be looked for in the program's own folder first, before
# the program's first line runs: such DLLs are delay-loaded (cmake/delay-import.cmake).
cmake_minimum_required(VERSION 3.20)
set(allowed comctl32.dll gdi32.dll kernel32.dll msvcrt.dll shell32.dll shlwapi.dll user32.dll
            advapi32.dll ole32.dll oleaut32.dll comdlg32.dll imm32.dll)
execute_process(COMMAND ${OBJDUMP} -p ${FILE} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cannot read the imports of ${FILE}")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" names "${dump}")
if(NOT names)
  message(FATAL_ERROR "no import table in ${FILE}")
endif()
set(bad "")
foreach(line ${names})
  string(REPLACE "DLL Name: " "" name "${line}")
  string(TOLOWER "${name}" name)
  message(STATUS "imports ${name}")
  if(NOT name IN_LIST allowed)
    list(APPEND bad ${name})
  endif()
endforeach()
if(bad)
  message(FATAL_ERROR "${FILE} imports ${bad}, which a DLL beside it would replace")
endif()
