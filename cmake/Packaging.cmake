# Installing and packaging. The programs install themselves (src/app, src/cli); this file adds
# the data files read at run time, the desktop entry, the icons, the MIME type of script files
# and the AppStream metadata, and describes the Debian package that CPack builds.
set(TESSEL_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(TESSEL_HICOLOR_DIR ${CMAKE_INSTALL_DATADIR}/icons/hicolor)

# template.sqv, tipofday.txt and the tree images, where DataDirectory() looks for them.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${TESSEL_DATA_INSTALL_DIR})

# Script files are known as such to file managers whichever program is installed.
install(FILES ${TESSEL_PACKAGING_DIR}/tessel-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME tessel.xml)
install(FILES ${TESSEL_PACKAGING_DIR}/text-x-sqv.svg
        DESTINATION ${TESSEL_HICOLOR_DIR}/scalable/mimetypes)

if(TESSEL_BUILD_GUI)
    install(FILES ${TESSEL_PACKAGING_DIR}/tessel.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${TESSEL_PACKAGING_DIR}/tessel.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    install(FILES ${CMAKE_SOURCE_DIR}/data/icons/tessel.svg
            DESTINATION ${TESSEL_HICOLOR_DIR}/scalable/apps)

    # Fixed-size copies of the icons for desktops that do not read SVG (icon themes are
    # expected to carry 48x48 at least), drawn from the SVG at build time.
    add_executable(render_icon ${TESSEL_PACKAGING_DIR}/render_icon.cpp)
    target_link_libraries(render_icon PRIVATE Qt6::Gui Qt6::Svg)
    set(TESSEL_PNG_ICONS "")
    foreach(size 16 22 24 32 48 64 128 256)
        set(size_dir ${CMAKE_BINARY_DIR}/icons/${size}x${size})
        foreach(icon apps/tessel:${CMAKE_SOURCE_DIR}/data/icons/tessel.svg
                     mimetypes/text-x-sqv:${TESSEL_PACKAGING_DIR}/text-x-sqv.svg)
            string(REPLACE ":" ";" icon_parts ${icon})
            list(GET icon_parts 0 icon_name)
            list(GET icon_parts 1 icon_svg)
            set(png ${size_dir}/${icon_name}.png)
            get_filename_component(png_dir ${png} DIRECTORY)
            add_custom_command(OUTPUT ${png}
                COMMAND ${CMAKE_COMMAND} -E make_directory ${png_dir}
                COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
                        $<TARGET_FILE:render_icon> ${icon_svg} ${size} ${png}
                DEPENDS render_icon ${icon_svg}
                COMMENT "Drawing ${icon_name}.png at ${size}x${size}"
                VERBATIM)
            list(APPEND TESSEL_PNG_ICONS ${png})
        endforeach()
    endforeach()
    add_custom_target(tessel_png_icons ALL DEPENDS ${TESSEL_PNG_ICONS})
    install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/ DESTINATION ${TESSEL_HICOLOR_DIR})
endif()

# The Debian package: cpack -G DEB in the build directory. The dependencies on shared
# libraries come from dpkg-shlibdeps (dpkg-dev), so they follow what the programs link.
# cpack and "make install" take the build as it is instead of first building every target,
# the test suites and benchmarks included, which a package never holds.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessel)
set(CPACK_PACKAGE_VENDOR "Tessel")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "SQL script editor for file databases and ODBC sources")
set(CPACK_PACKAGE_DESCRIPTION
    "Write scripts of SQL statements and script commands, keep them as .sqv files and run "
    "them against one current database: a single-file database (SQLite is the embedded "
    "default), directories of table files, workbooks and ODBC data sources. Includes the "
    "console program tessel-cli, which runs the same scripts from a shell.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tessel maintainers <maintainers@tessel.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Drivers for one's own database servers are a choice of the person installing.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "odbc-postgresql, libsqliteodbc")
set(CPACK_STRIP_FILES ON)
include(CPack)
