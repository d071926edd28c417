# The Windows package: `cmake --build <build> --target package` makes a zip
# that unpacks into Program Files as
#   Kestovar\Dovrak\dovrak.exe, dovrak.chm
#   Kestovar\Pelnor\pelnor.exe, pelnor.chm
#   Kestovar\README.txt
# which is where the programs look for each other (the program-files folder,
# Kestovar, the program's own folder). CPack writes the zip itself; it needs
# no archiver program.
if(TARGET dovrak)
  install(TARGETS dovrak RUNTIME DESTINATION Kestovar/Dovrak)
  if(TARGET dovrak_help)
    install(FILES $<TARGET_FILE_DIR:dovrak>/dovrak.chm DESTINATION Kestovar/Dovrak)
  endif()
endif()
if(TARGET pelnor)
  install(TARGETS pelnor RUNTIME DESTINATION Kestovar/Pelnor)
  if(TARGET pelnor_help)
    install(FILES $<TARGET_FILE_DIR:pelnor>/pelnor.chm DESTINATION Kestovar/Pelnor)
  endif()
endif()
install(FILES ${CMAKE_SOURCE_DIR}/docs/package/README.txt DESTINATION Kestovar)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Kestovar)
set(CPACK_PACKAGE_VENDOR Kestovar)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Dovrak launcher bar and Pelnor launcher menu")
set(CPACK_PACKAGE_FILE_NAME kestovar-dovrak-0.06-pelnor-0.02-win64)
# The folders above are the zip's own; no extra folder named after the file.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
# The programs go out without their debugging information.
set(CPACK_STRIP_FILES ON)
include(CPack)
