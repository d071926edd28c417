# Makes the Windows package with CPack into a folder of its own and checks
# what the zip holds:
#   cmake -DCPACK=... -DCONFIG=<build>/CPackConfig.cmake -DWORK=<folder> -P check_package.cmake
cmake_minimum_required(VERSION 3.25)
foreach(var CPACK CONFIG WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "check_package.cmake: ${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${CPACK} -G ZIP --config ${CONFIG} -B ${WORK}
  OUTPUT_VARIABLE out ERROR_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cpack failed:\n${out}")
endif()
file(GLOB zips ${WORK}/*.zip)
list(LENGTH zips count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "cpack made ${count} zip files in ${WORK}:\n${out}")
endif()
message(STATUS "package: ${zips}")

execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${zips} OUTPUT_VARIABLE listing RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the zip cannot be listed")
endif()
string(REPLACE "\n" ";" entries "${listing}")
set(files "")
foreach(entry ${entries})
  if(entry AND NOT entry MATCHES "/$")
    list(APPEND files ${entry})
  endif()
endforeach()
list(SORT files)
string(REPLACE ";" "\n  " shown "${files}")
message(STATUS "the zip holds:\n  ${shown}")

set(expected
  Kestovar/Dovrak/dovrak.chm
  Kestovar/Dovrak/dovrak.exe
  Kestovar/Pelnor/pelnor.chm
  Kestovar/Pelnor/pelnor.exe
  Kestovar/README.txt)
if(NOT files STREQUAL expected)
  string(REPLACE ";" "\n  " want "${expected}")
  message(FATAL_ERROR "the zip should hold exactly:\n  ${want}")
endif()

# The programs in the zip are the stripped builds, not empty files.
file(MAKE_DIRECTORY ${WORK}/unpacked)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${zips} WORKING_DIRECTORY ${WORK}/unpacked RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the zip cannot be unpacked")
endif()
foreach(file ${expected})
  file(SIZE ${WORK}/unpacked/${file} size)
  message(STATUS "${file}: ${size} bytes")
  if(size LESS 100)
    message(FATAL_ERROR "${file} is empty or cut short")
  endif()
endforeach()
file(READ ${WORK}/unpacked/Kestovar/Dovrak/dovrak.exe head LIMIT 2 HEX)
if(NOT head STREQUAL "4d5a")
  message(FATAL_ERROR "dovrak.exe in the zip is not a program file")
endif()
