# Installed files besides the programs (man pages, the desktop entry) and the
# Debian package, made by `cpack -G DEB` in a build folder
# (`./tumbo.sh release` does that in build/release). The release tarball is
# assembled by tools/make-release from the same build.

# Man pages, gzipped as Debian installs them, with the version filled in.
# Made at configure time (a changed page configures again), so that any
# build folder can be installed, whatever targets it built.
set(man_dir ${CMAKE_BINARY_DIR}/man)
foreach(page tumbo.6 tumbow.6 tumbo-capture.1)
  configure_file(${CMAKE_SOURCE_DIR}/packaging/${page} ${man_dir}/${page} @ONLY)
  # -n: no name or time stamp in the header, so the package is reproducible.
  execute_process(COMMAND gzip -9 -n -f -k ${man_dir}/${page} COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX REPLACE ".*\\.([0-9])$" "\\1" section ${page})
  install(FILES ${man_dir}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/packaging/tumbo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

set(CPACK_PACKAGE_NAME tumbo)
set(CPACK_PACKAGE_VENDOR Dax)
set(CPACK_PACKAGE_CONTACT "Dax")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time audiovisual demo of 3D toy bricks")
set(CPACK_PACKAGE_DESCRIPTION "A show of about 140 seconds: procedurally built 3D toy bricks, brick
lettering and two posed figures, timed to a song that the program
synthesises itself. tumbo-capture renders the show offline to PNG frames,
a WAV file or an MP4 video.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # tumbo_VERSION_ARCH.deb
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# Depends from the libraries the programs link, through dpkg-shlibdeps, and
# the two that SDL loads at run time, which dpkg-shlibdeps cannot see:
# libgl1 (GLX) for the demo's window, libegl1 for tumbo-capture's offscreen
# drawing.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1, libegl1")
# A GL driver is found at run time, not linked: Mesa's for most machines.
# ffmpeg is only needed by tumbo-capture --video.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri, ffmpeg")
include(CPack)
