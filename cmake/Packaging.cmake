# The Debian package: `cpack -G DEB` in the build folder makes
# kolva_3.2.93_amd64.deb holding the application folder in /opt/kolva and the
# desktop entry and icon where desktops look for packaged programs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kolva)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /opt/kolva)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "KOLVA定时播放器: plays lists of audio files at fixed times of day")
set(CPACK_PACKAGE_DESCRIPTION
    "A resident desktop media scheduler for schools, shops and factories: it plays\n lists of audio files at fixed times of day, every day, from the tray.")
set(CPACK_PACKAGE_CONTACT "KOLVA maintainers <kolva@localhost>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # kolva_3.2.93_amd64.deb
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
# The run-time libraries, the plug-ins every kind of file needs (WMA/M4A come
# from libav), an audio output and a font that has the Chinese interface.
string(JOIN ", " CPACK_DEBIAN_PACKAGE_DEPENDS
       "libc6 (>= 2.36)" "libstdc++6 (>= 12)"
       "libqt6core6 (>= 6.4)" "libqt6gui6 (>= 6.4)" "libqt6widgets6 (>= 6.4)"
       "libqt6dbus6 (>= 6.4)" "libqt6xml6 (>= 6.4)"
       "libgstreamer1.0-0 (>= 1.22)" "libgstreamer-plugins-base1.0-0 (>= 1.22)"
       "gstreamer1.0-plugins-base" "gstreamer1.0-plugins-good" "gstreamer1.0-plugins-ugly"
       "gstreamer1.0-plugins-bad" "gstreamer1.0-libav"
       "gstreamer1.0-pulseaudio | gstreamer1.0-pipewire | gstreamer1.0-alsa"
       "fonts-wqy-microhei | fonts-wqy-zenhei | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
# Debug information stays in the build; the package stays small and quick to
# make (the package test builds it on every run).
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR})
# The install rules put the desktop entry of an /opt installation in
# /usr/local/share (right for `cmake --install`); a package owns /usr/share.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/PackageDesktopFiles.cmake)
set(CPACK_KOLVA_XDG_DATA_DIR ${KOLVA_XDG_DATA_DIR})
include(CPack)
