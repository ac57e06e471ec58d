# Installing Lexivane and packaging it as a .deb.
#
#   <prefix>/lib/lexivane/           the program folder: lexivane, lexvan.ini, data/
#   <prefix>/bin/lexivane            launcher: runs the program from a writable
#                                    program folder (see dist/lexivane.sh.in)
#   <prefix>/share/applications/     desktop entry
#   <prefix>/share/metainfo/         AppStream metainfo
#   <prefix>/share/icons/hicolor/    application icon, 16 to 256 pixels
#
# lexvan.ini (from data/lexvan.ini.template) and the sample libraries are
# copied into the program folder only when missing, so installing again never
# replaces a user's settings or libraries.

include(GNUInstallDirs)

set(LEXIVANE_APP_ID "org.kelvaro.Lexivane")
set(LEXIVANE_PROGRAM_SUBDIR "lib/lexivane" CACHE STRING
    "Program folder below the install prefix (the program, lexvan.ini and data/)")

install(TARGETS lexivane RUNTIME DESTINATION "${LEXIVANE_PROGRAM_SUBDIR}")

# The settings template and the sample libraries: the same copy-when-missing
# script that stages the build folder, pointed at the installed folder.
install(CODE "
    set(SOURCE_DIR \"${PROJECT_SOURCE_DIR}\")
    set(PROGRAM_DIR \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${LEXIVANE_PROGRAM_SUBDIR}\")
    message(STATUS \"Program folder: \${PROGRAM_DIR} (lexvan.ini and data/ only where missing)\")
    include(\"${PROJECT_SOURCE_DIR}/cmake/StageProgramFolder.cmake\")
")

# The exam libraries come from ECDICT, whose MIT licence asks for its notice
# to travel with them.
install(FILES "${PROJECT_SOURCE_DIR}/data/ECDICT-LICENSE" "${PROJECT_SOURCE_DIR}/data/SOURCES.md"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/lexivane")

# The launcher finds the program folder relative to itself, so an installed
# tree can be moved as a whole.
file(RELATIVE_PATH LAUNCHER_TO_PROGRAM_DIR
    "/prefix/${CMAKE_INSTALL_BINDIR}" "/prefix/${LEXIVANE_PROGRAM_SUBDIR}")
configure_file("${PROJECT_SOURCE_DIR}/dist/lexivane.sh.in"
    "${PROJECT_BINARY_DIR}/dist/lexivane" @ONLY)
install(PROGRAMS "${PROJECT_BINARY_DIR}/dist/lexivane" DESTINATION "${CMAKE_INSTALL_BINDIR}")

install(FILES "${PROJECT_SOURCE_DIR}/dist/${LEXIVANE_APP_ID}.desktop"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${PROJECT_SOURCE_DIR}/dist/${LEXIVANE_APP_ID}.metainfo.xml"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
foreach(size 16 22 24 32 48 64 128 256)
    install(FILES "${PROJECT_SOURCE_DIR}/dist/icons/${size}x${size}/${LEXIVANE_APP_ID}.png"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps")
endforeach()

# --- .deb through CPack: cpack -G DEB in the build folder -------------------
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "lexivane")
set(CPACK_PACKAGE_VENDOR "Kelvaro")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "vocabulary trainer with typing tests, word boxes and a browse bar")
set(CPACK_PACKAGE_DESCRIPTION
    "Lexivane is a small, fast vocabulary trainer with a user interface in\nSimplified Chinese. It reads word libraries of words and their meanings,\ncuts them into groups of 25 and offers a typing test, a review window with\nfive word boxes and an always-on-top browse bar.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Kelvaro <lexivane@kelvaro.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION "education")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# Qt's own libraries come from dpkg-shlibdeps. What it cannot see: the X11
# platform plugin (loaded at run time, shipped in libqt6gui6, which shlibdeps
# already names), the Chinese fonts the windows ask for (楷体_GB2312 and 宋体
# map onto AR PL UKai/UMing), Qt's Chinese translations (standard buttons
# and edit menus, loaded from Qt's translations folder), a shell and cmp
# for the launcher, and Qt's SQLite driver for the learning record (a plugin
# loaded at run time, like the platform plugin).
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-arphic-ukai, fonts-arphic-uming, fontconfig, qt6-translations-l10n, diffutils, libqt6sql6-sqlite")
# CPack runs dpkg-shlibdeps only with the file utility at hand (it picks the
# ELF files with it); without it, name Qt 6.4's libraries, minizip (the
# backup and export archives) and the C++ runtime directly.
find_program(LEXIVANE_FILE_PROGRAM file)
find_program(LEXIVANE_SHLIBDEPS_PROGRAM dpkg-shlibdeps)
if(LEXIVANE_FILE_PROGRAM AND LEXIVANE_SHLIBDEPS_PROGRAM)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
    string(PREPEND CPACK_DEBIAN_PACKAGE_DEPENDS
        "libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6dbus6 (>= 6.4), libqt6sql6 (>= 6.4), libminizip1, libstdc++6, libgcc-s1, libc6, ")
endif()
# Media playback (Qt Multimedia through GStreamer): WAV, AVI and MIDI. apt
# installs recommended packages by default.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "libqt6multimedia6, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-plugins-bad, gstreamer1.0-libav, timgm6mb-soundfont, qt6-speech-speechd-plugin, speech-dispatcher-espeak-ng")
# Pronunciation: the default voice is speech-dispatcher with eSpeak NG (a
# separate process, American and British English), recommended above. Flite
# runs inside the program and its Qt 6.4 plugin can crash it, so it is only
# suggested and used only when the user picks it in the settings.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-speech-flite-plugin")
# The copies of lexvan.ini and the sample libraries are configuration: dpkg
# keeps an edited one on upgrade instead of replacing it.
set(LEXIVANE_CONFFILES "${PROJECT_BINARY_DIR}/dist/conffiles")
file(GLOB _lexivane_samples RELATIVE "${PROJECT_SOURCE_DIR}/data" "${PROJECT_SOURCE_DIR}/data/*.txt")
set(_lexivane_conffiles "/usr/${LEXIVANE_PROGRAM_SUBDIR}/lexvan.ini\n")
foreach(sample IN LISTS _lexivane_samples)
    string(APPEND _lexivane_conffiles "/usr/${LEXIVANE_PROGRAM_SUBDIR}/data/${sample}\n")
endforeach()
file(WRITE "${LEXIVANE_CONFFILES}" "${_lexivane_conffiles}")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${LEXIVANE_CONFFILES}")
include(CPack)
