# What a user's desktop needs beside the program: the launcher, the icon and the software-centre metadata,
# and the Debian package (`cpack` in a build folder, or scripts/package) that brings them with their
# runtime packages.
include(GNUInstallDirs)

set(VANTOR_APP_ID io.github.vantor.Vantor)
set(VANTOR_DATA_DIR ${PROJECT_SOURCE_DIR}/data)
set(VANTOR_ICON_DIR ${CMAKE_INSTALL_DATADIR}/icons/hicolor)

install(FILES ${VANTOR_DATA_DIR}/${VANTOR_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VANTOR_DATA_DIR}/${VANTOR_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${VANTOR_DATA_DIR}/icons/vantor.svg DESTINATION ${VANTOR_ICON_DIR}/scalable/apps)
foreach(size 48 256)
    install(FILES ${VANTOR_DATA_DIR}/icons/vantor-${size}.png
        DESTINATION ${VANTOR_ICON_DIR}/${size}x${size}/apps RENAME vantor.png)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantor)
set(CPACK_PACKAGE_VENDOR "Vantor developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "time SRT subtitles for a video by hand, from the keyboard")
# Package tools show the long description line by line as written here, so lines stay within 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
    "Vantor (SRT外挂字幕制作) makes SubRip subtitle files for a video. The video
plays in the main window; F9 marks where a spoken line starts and F10 where
it ends, the segment loops while the line is typed, and Enter saves it as the
next entry. F7 to F10 are system-wide hot keys. The subtitles are saved beside
the video after every entry, with style tags and as plain text.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Vantor developers <maintainers@vantor.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Named here, not only found by dpkg-shlibdeps: the xcb and Wayland platform plugins and the fonts are
# loaded at run time, so no linked library points at them, and the list must hold on a machine without
# dpkg-dev. libqt6dbus6 carries the desktop portal's global keys.
set(VANTOR_RUNTIME_PACKAGES
    libmpv2
    libqt6core6
    libqt6gui6
    libqt6widgets6
    libqt6opengl6
    libqt6openglwidgets6
    libqt6dbus6
    qt6-qpa-plugins
    qt6-wayland
    libxcb1
    libxcb-keysyms1
    fonts-noto-cjk
    fonts-arphic-ukai
    fonts-urw-base35
    fonts-dejavu-core)
list(JOIN VANTOR_RUNTIME_PACKAGES ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
# dpkg-shlibdeps adds the versioned libraries (libc6, libstdc++6, ...) the binary links against.
find_program(VANTOR_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(VANTOR_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

include(CPack)

if(VANTOR_BUILD_TESTS)
    set(VANTOR_INSTALL_TESTS ${PROJECT_SOURCE_DIR}/tests/install)
    add_test(NAME package_install_prefix
        COMMAND bash ${VANTOR_INSTALL_TESTS}/install_prefix.sh ${CMAKE_BINARY_DIR} ${PROJECT_VERSION})
    add_test(NAME package_deb
        COMMAND bash ${VANTOR_INSTALL_TESTS}/deb_package.sh ${CMAKE_BINARY_DIR} ${PROJECT_VERSION})
    set_tests_properties(package_install_prefix package_deb PROPERTIES LABELS package TIMEOUT 300
        ENVIRONMENT "VANTOR_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endif()
