# Fails when a catch clause in src/ says nothing about what its caller sees: every catch needs a
# comment on its own line or inside its body (before the first closing brace after it). A body
# with nothing in it is therefore always reported. Run by CTest (test "catches"):
#   cmake -DROOT=<source folder> -P tools/check-catches.cmake
#
# The formatter writes every clause as "catch (", which is what is searched for.

cmake_minimum_required(VERSION 3.20)

if(NOT ROOT)
  message(FATAL_ERROR "check-catches: pass -DROOT=<source folder>")
endif()

set(violations "")
set(clauses 0)
file(GLOB_RECURSE files ${ROOT}/src/*.h ${ROOT}/src/*.cpp)
foreach(file ${files})
  file(READ ${file} text)
  set(done 0)  # characters of text already searched
  set(at 0)
  while(NOT at EQUAL -1)
    string(SUBSTRING "${text}" ${done} -1 rest)
    string(FIND "${rest}" "catch (" at)
    if(at EQUAL -1)
      break()
    endif()
    math(EXPR pos "${done} + ${at}")
    math(EXPR clauses "${clauses} + 1")
    string(SUBSTRING "${rest}" ${at} -1 clause)
    string(FIND "${clause}" "}" close)
    if(close EQUAL -1)
      set(close 0)
    endif()
    string(SUBSTRING "${clause}" 0 ${close} body)
    string(FIND "${body}" "//" lineComment)
    string(FIND "${body}" "/*" blockComment)
    if(lineComment EQUAL -1 AND blockComment EQUAL -1)
      string(SUBSTRING "${text}" 0 ${pos} before)
      string(REGEX MATCHALL "\n" ends "${before}")
      list(LENGTH ends line)
      math(EXPR line "${line} + 1")
      file(RELATIVE_PATH rel ${ROOT} ${file})
      list(APPEND violations "${rel}:${line}: catch without a comment on what the caller sees")
    endif()
    math(EXPR done "${pos} + 7")
  endwhile()
endforeach()

if(violations)
  list(JOIN violations "\n" report)
  message(FATAL_ERROR "${report}")
endif()
message(STATUS "check-catches: ${clauses} catch clauses, each with a comment")
