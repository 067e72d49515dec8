# Installing and packaging Dawnbell. Included last by the top-level CMakeLists.txt, when every target exists.
#
#   cmake --install <build> [--prefix <folder>]   the program, its desktop entry, icons, metainfo and data
#   cd <build> && cpack -G DEB                    a Debian package "dawnbell" (configure with
#                                                 -DCMAKE_INSTALL_PREFIX=/usr for a package)

# mcish, the sound engine's command tool, goes where programs keep their helpers rather than on the PATH: the help
# text and the bug-report page ask users to run it when an alarm stays silent.
install(TARGETS mcish RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/dawnbell)

set(CPACK_PACKAGE_NAME dawnbell)
set(CPACK_PACKAGE_VENDOR "Dawnbell developers")
set(DAWNBELL_PACKAGE_MAINTAINER "Dawnbell developers" CACHE STRING
  "The Maintainer of the Debian package: a name and an e-mail address in angle brackets")
set(CPACK_PACKAGE_CONTACT "${DAWNBELL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "alarm clock that wakes you with music")
set(CPACK_PACKAGE_DESCRIPTION "Dawnbell wakes you with an audio CD (from a start track or through a playlist), \
a sound file, a MIDI sequence, or a combination. It offers snooze, a gradual wake-up that raises its own volume \
from silence, a sleep timer that plays a CD while you fall asleep, quick presets and a countdown timer, and an \
alarm message.")
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
# The libraries come from the binaries (dpkg-shlibdeps, package dpkg-dev); what the program starts or loads by
# name is listed here: the General MIDI sound font, the shared MIME database through which GIO finds the
# desktop's programs for documents, web pages and audio CDs, Qt's platform plugins, which libqt6gui6 only recommends but without which no window opens, and Qt's
# SVG plugins (libqt6svg6), which draw every picture of the window and which no symbol of the program names.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fluid-soundfont-gm, shared-mime-info, qt6-qpa-plugins, libqt6svg6")
include(CPack)
