# The Debian packages, built by `cpack -G DEB` in a build tree (make package). Included after
# every install rule.

set(QUORVEL_PACKAGE_MAINTAINER "The Quorvel developers <quorvel@quorvel.invalid>"
    CACHE STRING "Maintainer field of the Debian package and its changelog")

set(CPACK_GENERATOR DEB)
# Two packages from one source: quorvel-render, the command line with the shipped tone sets and
# no Qt, for a headless station; and quorvel, the window, which depends on it for those sets.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL render window)
set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_DEBIAN_PACKAGE_SOURCE quorvel)
set(CPACK_PACKAGE_VENDOR "The Quorvel developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
# name_version-release_arch.deb, as Debian names its packages.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUORVEL_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

set(_about [[
Quorvel sends sequences of audio tones through the sound card: the
telephone keys (DTMF) and single-frequency tone sets such as the radio
selective-calling standards ZVEI, CCIR, EEA and EIA. Each sequence is
rendered into one 16-bit mono buffer at 22050 Hz and played in one piece,
through PulseAudio or PipeWire where a sound server runs, and through ALSA
where none does.]])
set(CPACK_DEBIAN_RENDER_PACKAGE_NAME quorvel-render)
set(CPACK_DEBIAN_RENDER_DESCRIPTION "render and play DTMF and selective-calling tone sequences
${_about}

This package holds the command-line renderer, quorvel-render, which writes
the sound as raw samples or a WAV file, or plays it and keys a
transmitter's push-to-talk line around the call, and the shipped tone
sets. It needs no graphical toolkit.")
set(CPACK_DEBIAN_WINDOW_PACKAGE_NAME quorvel)
set(CPACK_DEBIAN_WINDOW_DESCRIPTION "send DTMF and selective-calling tone sequences
${_about}

This package holds the window, quorvel, with its menu entry. The
command-line renderer and the shipped tone sets are in quorvel-render.")
set(CPACK_DEBIAN_WINDOW_PACKAGE_DEPENDS
    "quorvel-render (= ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})")

# Depends comes from the libraries the binaries link, as dpkg-shlibdeps reads them, and adds
# to the window's dependency on the renderer.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Both programs play through a sound server where one runs, and fall back to ALSA.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pipewire-pulse | pulseaudio")
# multimon-ng decodes what Quorvel sends, to check a call or a radio's path.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS multimon-ng)

# The package is staged for /usr with DESTDIR, so that install-time paths (the desktop entry's
# Exec) are those of the installed system, whatever prefix the build tree was configured with.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Directories as Debian wants them whatever the umask of the one who builds.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The copyright and the Debian changelog, dated by the metainfo's entry for this version
# (data/CMakeLists.txt). Debian's changelog date is in the mail format, weekday included.
execute_process(COMMAND date -u -R -d "${QUORVEL_RELEASE_DATE} 12:00"
    OUTPUT_VARIABLE QUORVEL_RELEASE_DATE_RFC5322 OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
set(_changelog ${CMAKE_BINARY_DIR}/packaging/changelog.Debian)
configure_file(packaging/changelog.Debian.in ${_changelog} @ONLY)
add_custom_command(OUTPUT ${_changelog}.gz
    COMMAND gzip -9nkf ${_changelog}
    DEPENDS ${_changelog}
    COMMENT "Compressing the Debian changelog" VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS ${_changelog}.gz)
# Each package has the copyright and changelog in a folder of its own name, as Debian asks.
install(FILES packaging/copyright ${_changelog}.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quorvel-render COMPONENT render)
install(FILES packaging/copyright ${_changelog}.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quorvel COMPONENT window)

include(CPack)
