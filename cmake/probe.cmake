# kestovar_probe_copy(target)
# A copy of a library or program of the current folder, named <target>_probe,
# compiled with KESTOVAR_PROBE (the start-up probe of src/classlib/probe.h)
# and linked with the probe copies of the libraries it links. The copies are
# built only when asked for (the benchmarks' target depends on the programs'
# copies); a program's copy is written under probe/ with the program's own
# file name.
function(kestovar_probe_copy target)
  set(copy ${target}_probe)
  get_target_property(type ${target} TYPE)
  get_target_property(sources ${target} SOURCES)
  if(type STREQUAL "EXECUTABLE")
    add_executable(${copy} WIN32 EXCLUDE_FROM_ALL ${sources})
    set_target_properties(${copy} PROPERTIES OUTPUT_NAME ${target}
      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/probe)
    # Without debugging information, as the programs are shipped: under Wine
    # a start reads the whole image, and that information is most of it.
    add_custom_command(TARGET ${copy} POST_BUILD COMMAND ${CMAKE_STRIP} $<TARGET_FILE:${copy}>)
  else()
    add_library(${copy} STATIC EXCLUDE_FROM_ALL ${sources})
  endif()
  foreach(prop INCLUDE_DIRECTORIES INTERFACE_INCLUDE_DIRECTORIES COMPILE_DEFINITIONS
               INTERFACE_COMPILE_DEFINITIONS COMPILE_OPTIONS LINK_OPTIONS)
    get_target_property(value ${target} ${prop})
    if(value)
      set_property(TARGET ${copy} PROPERTY ${prop} "${value}")
    endif()
  endforeach()
  foreach(prop LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
    get_target_property(value ${target} ${prop})
    if(value)
      set(libs "")
      foreach(lib ${value})
        if(TARGET ${lib}_probe)
          list(APPEND libs ${lib}_probe)
        else()
          list(APPEND libs ${lib})
        endif()
      endforeach()
      set_property(TARGET ${copy} PROPERTY ${prop} "${libs}")
    endif()
  endforeach()
  get_target_property(deps ${target} MANUALLY_ADDED_DEPENDENCIES)
  if(deps)
    add_dependencies(${copy} ${deps})
  endif()
  target_compile_definitions(${copy} PUBLIC KESTOVAR_PROBE=1)
endfunction()

# kestovar_shipped_copy(target)
# A copy of a program without debugging information, as the package ships
# it, written as shipped/<file name> beside the program and made by the
# target <target>_shipped (only when asked for: the benchmarks time these).
function(kestovar_shipped_copy target)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/shipped/${target}.exe)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/shipped
    COMMAND ${CMAKE_STRIP} -o ${out} $<TARGET_FILE:${target}>
    DEPENDS ${target} VERBATIM)
  add_custom_target(${target}_shipped DEPENDS ${out})
endfunction()
