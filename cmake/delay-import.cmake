# Delay-loaded system DLLs. A DLL in the program's import table is looked for at start-up
# in the program's own folder before the system folder (only the few "known DLLs" are
# exempt), so a wtsapi32.dll unpacked beside the program would be loaded in place of the
# system's. A delay-loaded one is loaded at its first call instead, through the program's
# hook (app/dll_search.cpp), from the system folder only.
#
# kiv_delay_import(<name> <variable>): makes lib<name>_delay.a for <name>.dll from the
# toolchain's own import library (every export it lists) and sets <variable> to its path,
# to be linked in place of <name>.
function(kiv_delay_import name out)
  find_library(KIV_IMPORT_LIBRARY_${name} NAMES lib${name}.a REQUIRED)
  execute_process(COMMAND ${CMAKE_NM} ${KIV_IMPORT_LIBRARY_${name}}
    OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot list the exports of ${KIV_IMPORT_LIBRARY_${name}}")
  endif()
  # "00000000 I __imp__WTSFreeMemory@4": the export WTSFreeMemory, 4 bytes of arguments.
  string(REGEX MATCHALL " I __imp__[^\r\n]+" imports "${symbols}")
  set(def "LIBRARY ${name}.dll\nEXPORTS\n")
  foreach(import ${imports})
    string(REPLACE " I __imp__" "" export "${import}")
    string(APPEND def "${export}\n")
  endforeach()
  set(dir ${CMAKE_BINARY_DIR}/delay-import)
  file(MAKE_DIRECTORY ${dir})
  file(WRITE ${dir}/${name}.def "${def}")
  set(library ${dir}/lib${name}_delay.a)
  # -k: the DLL's names carry no "@n".
  execute_process(COMMAND ${CMAKE_DLLTOOL} -k --input-def ${dir}/${name}.def --dllname ${name}.dll
    --output-delaylib ${library} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot make the delay-import library of ${name}.dll")
  endif()
  set(${out} ${library} PARENT_SCOPE)
endfunction()
