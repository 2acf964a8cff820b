# What `cmake --install` lays out; the Debian package (debian/, built by
# scripts/package.sh) holds whatever it installs.
#
# The program tells an installed copy from a portable one by its layout: the
# executable in <prefix>/bin and its display module in <prefix>/lib/fennick/
# (src/files/app_folder_linux.cpp). Those two folders are therefore fixed here
# instead of following GNUInstallDirs' BINDIR and LIBDIR; everything else does.
include(GNUInstallDirs)

install(PROGRAMS $<TARGET_FILE:Fennick> DESTINATION bin RENAME fennick)
# install(PROGRAMS) can rename but does not strip; the package strips.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/fennick\")
  endif()")
install(TARGETS fennick_display LIBRARY DESTINATION lib/fennick)

set(FENNICK_APP_ID org.fennick.Fennick)
install(FILES packaging/${FENNICK_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(packaging/${FENNICK_APP_ID}.metainfo.xml.in ${FENNICK_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${FENNICK_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The application icon and the launchers' run mode images, which an installed
# program's launchers name by icon name ("fennick-copy"). The sizes are made
# from the 64-pixel images in resources/ (ImageMagick's convert with
# -filter Lanczos -depth 8 -strip) and kept in the checkout.
install(DIRECTORY packaging/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# The manual pages, English (in ASCII, so that it renders in any locale) and
# its Japanese translation, compressed as Debian ships manual pages. They are
# built with the program, so that whatever builds the program can install them.
set(FENNICK_MANUALS)
foreach(language en ja)
  set(page_source packaging/fennick.1.in)
  set(page_folder man1)
  if(NOT language STREQUAL "en")
    set(page_source packaging/fennick.${language}.1.in)
    set(page_folder ${language}/man1)
  endif()
  set(page ${CMAKE_CURRENT_BINARY_DIR}/manual/${page_folder}/fennick.1)
  configure_file(${page_source} ${page} @ONLY)
  add_custom_command(OUTPUT ${page}.gz COMMAND gzip -9nkf ${page} DEPENDS ${page} VERBATIM)
  list(APPEND FENNICK_MANUALS ${page}.gz)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/${page_folder})
endforeach()
add_custom_target(fennick_manual DEPENDS ${FENNICK_MANUALS})
add_dependencies(Fennick fennick_manual)
