# Checks that a Windows program imports only DLLs that Windows itself ships:
#   cmake -DOBJDUMP=... -DOBJCOPY=... -DWORK=<folder> -DPROGRAMS="a.exe;b.exe" -P check_imports.cmake
# The ordinary imports are the "DLL Name:" lines of objdump -p (with the
# delay-import table when the linker fills it in). The delay-loaded DLLs of
# our builds are bound by the delay-load helper through descriptors of their
# own, which the PE header does not point to; their names lie in the import
# section with the others, so every DLL name in .idata is collected as well.
cmake_minimum_required(VERSION 3.25)

# DLLs (and the help control) that every 64-bit Windows 10/11 has.
set(windows_dlls
  advapi32.dll bcrypt.dll comctl32.dll comdlg32.dll crypt32.dll dbghelp.dll
  dwmapi.dll gdi32.dll gdiplus.dll hhctrl.ocx imm32.dll kernel32.dll
  kernelbase.dll msimg32.dll msvcrt.dll ntdll.dll ole32.dll oleacc.dll
  oleaut32.dll propsys.dll psapi.dll rpcrt4.dll secur32.dll setupapi.dll
  shcore.dll shell32.dll shlwapi.dll ucrtbase.dll user32.dll userenv.dll
  usp10.dll uxtheme.dll version.dll winmm.dll winspool.drv ws2_32.dll)
# The runtime DLLs of the compiler: linked statically, they must never be imported.
set(compiler_runtime "^(libstdc\\+\\+|libgcc|libwinpthread|libssp|libgomp|libquadmath|libatomic)")

foreach(var OBJDUMP OBJCOPY WORK PROGRAMS)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "check_imports.cmake: ${var} is not set")
  endif()
endforeach()
file(MAKE_DIRECTORY ${WORK})

set(failed FALSE)
foreach(exe ${PROGRAMS})
  get_filename_component(name ${exe} NAME)
  if(NOT EXISTS ${exe})
    message(SEND_ERROR "${name}: not built (${exe})")
    set(failed TRUE)
    continue()
  endif()

  execute_process(COMMAND ${OBJDUMP} -p ${exe} OUTPUT_VARIABLE headers RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -p ${exe} failed")
  endif()
  string(REGEX MATCHALL "DLL Name: [^\r\n]+" lines "${headers}")
  set(ordinary "")
  foreach(line ${lines})
    string(REGEX REPLACE "^DLL Name: *" "" dll "${line}")
    string(STRIP "${dll}" dll)
    string(TOLOWER "${dll}" dll)
    list(APPEND ordinary ${dll})
  endforeach()
  list(REMOVE_DUPLICATES ordinary)

  set(section ${WORK}/${name}.idata)
  execute_process(COMMAND ${OBJCOPY} -O binary --only-section=.idata ${exe} ${section} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${OBJCOPY} could not take out the import section of ${exe}")
  endif()
  file(STRINGS ${section} strings REGEX "^[A-Za-z0-9_.+-]+\\.([Dd][Ll][Ll]|[Oo][Cc][Xx]|[Dd][Rr][Vv])$")
  set(delayed "")
  foreach(dll ${strings})
    string(TOLOWER "${dll}" dll)
    if(NOT dll IN_LIST ordinary)
      list(APPEND delayed ${dll})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES delayed)

  if(NOT ordinary)
    message(SEND_ERROR "${name}: objdump shows no imports at all")
    set(failed TRUE)
  endif()
  string(REPLACE ";" " " shown_ordinary "${ordinary}")
  string(REPLACE ";" " " shown_delayed "${delayed}")
  message(STATUS "${name} imports: ${shown_ordinary}")
  message(STATUS "${name} delay-loads: ${shown_delayed}")

  foreach(dll ${ordinary} ${delayed})
    if(dll MATCHES "${compiler_runtime}")
      message(SEND_ERROR "${name} imports the compiler's runtime DLL ${dll}: it must be linked statically")
      set(failed TRUE)
    elseif(dll MATCHES "^api-ms-win-(crt|core)-[a-z0-9-]+\\.dll$")
      # The API sets of the universal C runtime and the core system.
    elseif(NOT dll IN_LIST windows_dlls)
      message(SEND_ERROR "${name} imports ${dll}, which Windows does not ship")
      set(failed TRUE)
    endif()
  endforeach()
endforeach()

if(failed)
  message(FATAL_ERROR "a program imports a DLL that is not part of Windows")
endif()
