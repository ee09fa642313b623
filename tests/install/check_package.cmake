# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package into a scratch folder and checks what it holds, the copyright file
# above all: a package without it may not be passed on.
#   cmake -DBUILD_DIR=... -DSCRATCH=... -DAPP_ID=... -P check_package.cmake
foreach(var BUILD_DIR SCRATCH APP_ID)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "${var} not set")
    endif()
endforeach()

file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}")
execute_process(COMMAND cpack -G DEB --config "${BUILD_DIR}/CPackConfig.cmake" -B "${SCRATCH}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cpack failed: ${result}\n${output}")
endif()
file(GLOB packages "${SCRATCH}/*.deb")
list(LENGTH packages count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one .deb in ${SCRATCH}, found: ${packages}")
endif()

execute_process(COMMAND dpkg-deb -c ${packages} RESULT_VARIABLE result OUTPUT_VARIABLE listing)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "dpkg-deb -c failed: ${result}")
endif()
# The files of the listing: its last column, without the folders.
string(REGEX MATCHALL "\\./usr/[^\n]*[^/\n]\n" files "${listing}")
string(REPLACE "\n" "" files "${files}")
list(SORT files)
set(expected
    ./usr/bin/velorix
    ./usr/share/applications/${APP_ID}.desktop
    ./usr/share/doc/velorix/changelog.gz
    ./usr/share/doc/velorix/copyright
    ./usr/share/man/man1/velorix.1.gz
    ./usr/share/icons/hicolor/scalable/apps/${APP_ID}.svg
    ./usr/share/metainfo/${APP_ID}.metainfo.xml)
list(SORT expected)
if(NOT files STREQUAL expected)
    message(FATAL_ERROR "the package holds:\n  ${files}\nexpected:\n  ${expected}\n${listing}")
endif()

# A Wayland desktop gets Qt's Wayland plugin with the package.
execute_process(COMMAND dpkg-deb -f ${packages} Recommends RESULT_VARIABLE result
                OUTPUT_VARIABLE recommends OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT result EQUAL 0 OR NOT recommends STREQUAL "qt6-wayland")
    message(FATAL_ERROR "the package recommends \"${recommends}\", not qt6-wayland")
endif()
