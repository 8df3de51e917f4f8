# Install rules and packages (CPack): on Linux a Debian package, on Windows a
# zip holding what out/windows/ holds. The version is the project's own
# (project(... VERSION ...)); it names both packages.
#   cmake --build BUILD --target package_files && cpack --config BUILD/CPackConfig.cmake

set(CPACK_PACKAGE_NAME corvantis)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Corvantis maintainers <maintainers@users.noreply.c-seed-d60902c5.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "one-shot upgrade of a point-of-sale Firebird database")
set(CPACK_PACKAGE_DESCRIPTION [=[
Corvantis brings the Firebird database of a point-of-sale and back-office
system up to this release. Started once, it opens a small window whose body
is a log, connects to the database named by its INI configuration, checks
that the previous upgrade was applied, applies the schema changes in ordered,
catalogue-guarded steps and closes. A second run creates and alters nothing.

It reaches the server through its own driver library, which loads the
Firebird client library at run time.]=])
set(CPACK_STRIP_FILES ON)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# What the install rules take from the build: `package_files` builds it all
# and nothing else (no test tier), which is what a packager needs.
add_custom_target(package_files)
add_dependencies(package_files Corvantis dbvfb)

if(WIN32)
  # Everything beside Corvantis.exe, as Windows users keep it; the driver's
  # import library is of no use to them.
  install(TARGETS Corvantis dbvfb
    RUNTIME DESTINATION .
    ARCHIVE DESTINATION lib COMPONENT import_library EXCLUDE_FROM_ALL)
  # The templates name the Linux libraries; Windows gets the DLLs' names.
  # Read as plain lines, written back with the template's CR LF line ends.
  set(drivers_template ${PROJECT_SOURCE_DIR}/scripts/templates/dbvdrivers.ini)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${drivers_template})
  file(READ ${drivers_template} drivers_ini)
  string(REPLACE "\r" "" drivers_ini "${drivers_ini}")
  string(REGEX REPLACE "LibraryName=[^\n]*" "LibraryName=dbvfb.dll" drivers_ini "${drivers_ini}")
  string(REGEX REPLACE "VendorLib=[^\n]*" "VendorLib=fbclient.dll" drivers_ini "${drivers_ini}")
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/windows/dbvdrivers.ini CONTENT "${drivers_ini}" @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${PROJECT_SOURCE_DIR}/scripts/templates/dbvconnections.ini ${CMAKE_BINARY_DIR}/windows/dbvdrivers.ini
    DESTINATION .)

  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME corvantis-${PROJECT_VERSION}-windows-x64)
  # The files at the top of the zip: Windows' "Extract All" makes the folder.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  include(CPack)
  return()
endif()

# The program finds its driver by the bare name the driver INI file gives, in
# a library folder of its own through a relative run path: never in the
# system's library folder, where any program would find it, and wherever the
# whole tree is installed.
include(GNUInstallDirs)
set(CORVANTIS_LIB_DIR ${CMAKE_INSTALL_LIBDIR}/corvantis)
set(CORVANTIS_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/corvantis)
set(CORVANTIS_FULL_DOC_DIR ${CMAKE_INSTALL_FULL_DATAROOTDIR}/doc/corvantis)
file(RELATIVE_PATH bin_to_lib /${CMAKE_INSTALL_BINDIR} /${CORVANTIS_LIB_DIR})
set_target_properties(Corvantis PROPERTIES INSTALL_RPATH "$ORIGIN/${bin_to_lib}")
install(TARGETS Corvantis RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A library only loaded needs no execute bit (Debian policy 8.1).
install(TARGETS dbvfb LIBRARY DESTINATION ${CORVANTIS_LIB_DIR}
  PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

# The INI files are the shop's own (they hold the password): the templates go
# with the documentation, and each user's settings file names the copies.
set(packaging ${PROJECT_SOURCE_DIR}/packaging/linux)
set(generated ${CMAKE_BINARY_DIR}/packaging)
configure_file(${packaging}/copyright.in ${generated}/copyright @ONLY)
configure_file(${packaging}/changelog.in ${generated}/changelog @ONLY)
configure_file(${packaging}/Corvantis.1.in ${generated}/Corvantis.1 @ONLY)
install(FILES README.md scripts/templates/dbvconnections.ini scripts/templates/dbvdrivers.ini
  ${generated}/copyright ${generated}/changelog.gz
  DESTINATION ${CORVANTIS_DOC_DIR})
install(FILES ${generated}/Corvantis.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${packaging}/corvantis.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)

# gzip -n: no name or time stamp inside, so that the same sources give the
# same package.
set(generated_files)
foreach(file changelog Corvantis.1)
  add_custom_command(OUTPUT ${generated}/${file}.gz
    COMMAND gzip -9nc ${generated}/${file} > ${generated}/${file}.gz
    DEPENDS ${generated}/${file}
    VERBATIM)
  list(APPEND generated_files ${generated}/${file}.gz)
endforeach()

# The window's own icon (app/qt/MainIcon.xpm, 32x32) is the one source of the
# theme's icons, converted at build time so the two can never differ. 48x48
# is the least size freedesktop.org's icon theme rules ask for; the larger
# sizes are whole multiples, so the pixels stay sharp.
find_program(IMAGEMAGICK_CONVERT convert HINTS /usr/bin REQUIRED)
set(icon_source ${PROJECT_SOURCE_DIR}/app/qt/MainIcon.xpm)
foreach(size 16 32 48 64)
  set(icon ${generated}/icons/${size}x${size}/corvantis.png)
  add_custom_command(OUTPUT ${icon}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${generated}/icons/${size}x${size}
    # No date chunks: the PNG depends on its source alone.
    COMMAND ${IMAGEMAGICK_CONVERT} ${icon_source} -scale ${size}x${size} -define png:exclude-chunks=date,time ${icon}
    DEPENDS ${icon_source}
    VERBATIM)
  install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps)
  list(APPEND generated_files ${icon})
endforeach()
add_custom_target(corvantis_share_files ALL DEPENDS ${generated_files})
add_dependencies(package_files corvantis_share_files)

set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What nothing links to but the program needs at run time is looked up when
# the package is made (cmake/PackageRuntimeDepends.cmake): the Firebird
# client the driver loads by this name, and the font family the log shows
# Big5 text in (the window asks for no Chinese font by name; fontconfig falls
# back to one that covers Traditional Chinese).
set(CPACK_CORVANTIS_CLIENT_LIBRARY libfbclient.so.2)
set(CPACK_CORVANTIS_CLIENT_ENTRY fb_get_master_interface)  # the one symbol driver/ClientLibrary*.cpp resolves
set(CPACK_CORVANTIS_LIBRARY_ARCHITECTURE ${CMAKE_LIBRARY_ARCHITECTURE})
set(CPACK_CORVANTIS_BIG5_FONT "WenQuanYi Micro Hei")
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/PackageRuntimeDepends.cmake)
include(CPack)
