# The Debian package (included from the top-level CMakeLists.txt):
# `cpack -G DEB` in a Release build folder makes
# corvalle-mp3-player_<version>_amd64.deb, its library dependencies computed
# from the binary by dpkg-shlibdeps. scripts/package.sh builds it and runs
# lintian over it.
set(CORVALLE_PACKAGE_MAINTAINER "Corvalle's MP3 Player developers <maintainers@corvalle.example>"
  CACHE STRING "Maintainer field of the Debian package (Name <address>)")

# Debian wants the copyright and a changelog (gzip -9n, no time stamp) in
# /usr/share/doc/<package>.
set(doc share/doc/corvalle-mp3-player)
set(pkg ${PROJECT_SOURCE_DIR}/packaging)
file(STRINGS ${pkg}/changelog changelog_head LIMIT_COUNT 1)
if(NOT changelog_head MATCHES "^corvalle-mp3-player \\(${PROJECT_VERSION}\\) ")
  message(WARNING "packaging/changelog does not start with version ${PROJECT_VERSION}: add an entry")
endif()
find_program(GZIP_EXECUTABLE gzip REQUIRED)
# The manual page (the launcher's page points at the player's) is installed
# compressed in the same way.
set(gz_dir ${PROJECT_BINARY_DIR}/packaging)
set(gz_files)
foreach(name changelog corvalle-mp3-player.1 corvalle-mp3-player-launcher.1)
  add_custom_command(OUTPUT ${gz_dir}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${gz_dir}
    COMMAND ${GZIP_EXECUTABLE} -9n -c ${pkg}/${name} > ${gz_dir}/${name}.gz
    DEPENDS ${pkg}/${name}
    VERBATIM)
  list(APPEND gz_files ${gz_dir}/${name}.gz)
endforeach()
add_custom_target(package_compressed_docs ALL DEPENDS ${gz_files})
install(FILES ${pkg}/copyright ${gz_dir}/changelog.gz DESTINATION ${doc})
install(FILES ${gz_dir}/corvalle-mp3-player.1.gz ${gz_dir}/corvalle-mp3-player-launcher.1.gz
  DESTINATION share/man/man1)

set(CPACK_PACKAGE_NAME corvalle-mp3-player)
set(CPACK_PACKAGE_VENDOR "The Corvalle's MP3 Player developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small desktop player for a sorted playlist of MP3 files")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CORVALLE_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# ALSA's "default" device reaches PulseAudio or PipeWire through the plugins
# (where no sound server answers directly); Qt's Wayland platform gives
# Wayland desktops a window of their own; Qt's own translations give its
# dialogs the user's language.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libasound2-plugins, qt6-wayland, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# CPack puts CPACK_PACKAGE_DESCRIPTION_SUMMARY before this as the first line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "One window holds a playlist of MP3 files kept sorted without regard to case,
text-label transport commands (previous, play, stop, next, random), the
elapsed and total time, a volume slider for the ALSA master volume and a theme
picture. Files and folders can be dropped onto the playlist or found by a
folder search; the ID3v1 tag of a file can be shown and edited. Media keys
and desktop controls work through MPRIS.
.
The launcher keeps the playlist and the settings in
~/.local/share/corvalle-mp3-player.")
include(CPack)
