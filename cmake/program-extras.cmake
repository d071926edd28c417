# Helpers of the two programs' builds (src/bar, src/menu).

# kestovar_delay_load(target "dll:function[,function...]" ...)
# Loads each DLL at the first call of one of its functions instead of at the
# program's start: an import library with delayed imports is made from a
# .def naming the functions the program calls, and linked whole so that its
# import entries stand in for the ordinary ones.
function(kestovar_delay_load target)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/delayload)
  set(libs "")
  foreach(entry ${ARGN})
    string(REPLACE ":" ";" parts "${entry}")
    list(GET parts 0 dll)
    list(GET parts 1 functions)
    string(REPLACE "," "\n" functions "${functions}")
    get_filename_component(stem ${dll} NAME_WE)
    file(WRITE ${dir}/${stem}.def "LIBRARY ${dll}\nEXPORTS\n${functions}\n")
    add_custom_command(OUTPUT ${dir}/lib${stem}_delay.a
      COMMAND ${CMAKE_DLLTOOL} --input-def ${dir}/${stem}.def --dllname ${dll}
              --output-delaylib ${dir}/lib${stem}_delay.a
      DEPENDS ${dir}/${stem}.def VERBATIM)
    list(APPEND libs ${dir}/lib${stem}_delay.a)
  endforeach()
  add_custom_target(${target}_delayload DEPENDS ${libs})
  add_dependencies(${target} ${target}_delayload)
  target_link_libraries(${target} PRIVATE -Wl,--whole-archive ${libs} -Wl,--no-whole-archive delayimp)
endfunction()

# kestovar_help_file(target name)
# Compiles docs/help/<name>/<name>.hhp with chmcmd (package fp-utils), in a
# work folder of its own, into <name>.chm beside the target's program file.
function(kestovar_help_file target name)
  find_program(CHMCMD chmcmd)
  if(NOT CHMCMD)
    message(WARNING "chmcmd not found (package fp-utils): ${name}.chm is not built")
    return()
  endif()
  set(source ${CMAKE_SOURCE_DIR}/docs/help/${name})
  set(work ${CMAKE_CURRENT_BINARY_DIR}/help)
  file(GLOB files CONFIGURE_DEPENDS ${source}/*)
  add_custom_command(
    OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${name}.chm
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${work}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${source} ${work}
    COMMAND ${CMAKE_COMMAND} -E chdir ${work} ${CHMCMD} ${name}.hhp
    COMMAND ${CMAKE_COMMAND} -E copy ${work}/${name}.chm ${CMAKE_CURRENT_BINARY_DIR}/${name}.chm
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    DEPENDS ${files}
    COMMENT "Compiling ${name}.chm"
    VERBATIM)
  add_custom_target(${name}_help ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/${name}.chm)
  add_dependencies(${target} ${name}_help)
endfunction()
