# cmake -DFILE=<shipped file> -DMAX_BYTES=<n> -DMAP=<link map> -P check-size.cmake
# Fails when the file is larger than MAX_BYTES, or when its link map shows the C++
# runtime's compiled narrow string: that object comes whole with any std::string and
# alone costs about a tenth of the program; or any member of the threads library, which
# lean_threads.cpp stands in for (its thread object alone brings about 40 KB).
file(SIZE "${FILE}" bytes)
message(STATUS "${FILE}: ${bytes} bytes (at most ${MAX_BYTES})")
if(bytes GREATER MAX_BYTES)
  message(FATAL_ERROR "${FILE} is ${bytes} bytes, more than ${MAX_BYTES}; the link map ${MAP} shows what it is made of")
endif()
file(STRINGS "${MAP}" narrow_string REGEX "libstdc\\+\\+\\.a\\(string-inst\\.o\\)")
if(narrow_string)
  message(FATAL_ERROR "${FILE} links the C++ runtime's narrow string (string-inst.o): "
    "a std::string in the shipped code; the link map ${MAP} names the file that uses it")
endif()
file(STRINGS "${MAP}" threads_library REGEX "libpthread\\.a\\(")
if(threads_library)
  message(FATAL_ERROR "${FILE} links the threads library: it calls a pthread function "
    "that lean_threads.cpp does not provide; the link map ${MAP} names it")
endif()
