# Small release builds of the Windows variant. Release code is optimised for size, each
# function and datum in its own section. The shipped program and DLL (kiv_ship) are also
# optimised across files at link time, drop the sections nothing uses and carry no
# symbols. The C++ runtime stays linked statically: the program needs no MinGW DLL.
add_compile_options("$<$<CONFIG:Release>:-Os;-ffunction-sections;-fdata-sections>")
# No build path in what ships: __FILE__ and any debug record name files relative to the
# source and build folders, so two checkouts in different places give the same bytes.
add_compile_options("$<$<AND:$<CONFIG:Release>,$<COMPILE_LANGUAGE:C,CXX>>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=;-ffile-prefix-map=${CMAKE_BINARY_DIR}/=>")

# Link-time optimisation: the shipped code's objects carry ordinary code beside it ("fat"),
# and every other link leaves the linker plugin out, so the tests link the same libraries
# as ordinary code (this compiler's link-time optimisation fails on the test framework, and
# mixing both kinds of object in one link gives duplicate definitions).
set(KIV_LTO_COMPILE_OPTIONS "$<$<CONFIG:Release>:-flto=auto;-ffat-lto-objects>")
add_link_options("$<$<CONFIG:Release>:-fno-use-linker-plugin>")

# The C++ runtime's default terminate handler prints the exception's name to stderr, which
# a windowed program does not have, and drags in the symbol demangler for it (about 45 KB);
# a plain abort ends the program the same way without them. The program is optimised as
# one partition: split into several, this compiler's link-time optimisation stops with an
# internal error. No time stamp in the header, so the same sources give the same bytes.
set(KIV_SHIP_LINK_OPTIONS
  -fuse-linker-plugin
  -flto
  -flto-partition=one
  -Wl,--no-insert-timestamp
  -Os
  -s
  -Wl,--gc-sections
  -Wl,--defsym,__ZN9__gnu_cxx27__verbose_terminate_handlerEv=_abort)

# The most a shipped program and DLL may weigh.
set(KIV_MAX_PROGRAM_BYTES 409600)  # 400 KB with every capability in
set(KIV_MAX_DLL_BYTES 102400)
# kivctl.exe sets its own 64 KB through the target property KIV_MAX_BYTES.

# kiv_ship(<target> [<static library>...]): the release build of a shipped program or DLL
# and of the libraries it is made of, with a link map (<target>.map in the build folder)
# that shows what the size is made of, and a test (<target>_size) that holds it to its
# most (the target's property KIV_MAX_BYTES where it has its own). Both get the C++ runtime's
# thread hooks of lean_threads.cpp and a program also the small throw helpers of
# lean_throw.cpp, unless its property KIV_OWN_RUNTIME says it brings its own.
function(kiv_ship target)
  foreach(part ${target} ${ARGN})
    target_compile_options(${part} PRIVATE ${KIV_LTO_COMPILE_OPTIONS})
  endforeach()
  target_link_options(${target} PRIVATE
    "$<$<CONFIG:Release>:${KIV_SHIP_LINK_OPTIONS};-Wl,-Map,$<TARGET_FILE_BASE_NAME:${target}>.map>")
  get_target_property(type ${target} TYPE)
  get_target_property(own_runtime ${target} KIV_OWN_RUNTIME)
  if(NOT own_runtime)
    target_sources(${target} PRIVATE "$<$<CONFIG:Release>:${CMAKE_CURRENT_FUNCTION_LIST_DIR}/lean_threads.cpp>")
  endif()
  if(type STREQUAL EXECUTABLE)
    if(NOT own_runtime)
      target_sources(${target} PRIVATE "$<$<CONFIG:Release>:${CMAKE_CURRENT_FUNCTION_LIST_DIR}/lean_throw.cpp>")
    endif()
    set(max_bytes ${KIV_MAX_PROGRAM_BYTES})
  else()
    set(max_bytes ${KIV_MAX_DLL_BYTES})
  endif()
  get_target_property(own_max ${target} KIV_MAX_BYTES)
  if(own_max)
    set(max_bytes ${own_max})
  endif()
  if(CMAKE_BUILD_TYPE STREQUAL "Release")
    add_test(NAME ${target}_size COMMAND ${CMAKE_COMMAND}
      -DFILE=$<TARGET_FILE:${target}> -DMAX_BYTES=${max_bytes}
      -DMAP=${CMAKE_CURRENT_BINARY_DIR}/$<TARGET_FILE_BASE_NAME:${target}>.map
      -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/check-size.cmake)
  endif()
endfunction()
