# Fails when the core starts a thread anywhere but text/Parallel.cpp, the one place that carries
# the run's stop flag and thread budget (--jobs) to every thread. Run by CTest (test "threads"):
#   cmake -DROOT=<source folder> -P tools/check-threads.cmake
# The window (src/ui) runs its documentation runs on a Qt thread of its own and is not checked.

cmake_minimum_required(VERSION 3.20)

if(NOT ROOT)
  message(FATAL_ERROR "check-threads: pass -DROOT=<source folder>")
endif()

set(violations "")
file(GLOB_RECURSE files ${ROOT}/src/*.h ${ROOT}/src/*.cpp)
foreach(file ${files})
  file(RELATIVE_PATH rel ${ROOT} ${file})
  if(rel MATCHES "^src/ui/" OR rel MATCHES "^src/text/Parallel\\.(h|cpp)$")
    continue()
  endif()
  file(STRINGS ${file} lines REGEX "std::(thread|jthread|async)[^:_a-z]|pthread_create|CreateThread")
  foreach(line ${lines})
    string(STRIP "${line}" line)
    list(APPEND violations "${rel}: ${line}")
  endforeach()
endforeach()

if(violations)
  list(JOIN violations "\n" text)
  message(FATAL_ERROR "Threads started outside text/Parallel.cpp:\n${text}")
endif()
message(STATUS "Threads: every thread of the core comes from text/Parallel.cpp")
