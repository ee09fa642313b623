# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a scratch prefix and checks what lands where, and that the desktop
# entry, the icon and the metainfo name each other and the program consistently.
#   cmake -DBUILD_DIR=... -DPREFIX=... -DAPP_ID=... -P check_install.cmake
foreach(var BUILD_DIR PREFIX APP_ID)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "${var} not set")
    endif()
endforeach()

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

# Exactly these files, nothing more: no library, header or test leaks into the package.
set(expected
    bin/velorix
    share/applications/${APP_ID}.desktop
    share/icons/hicolor/scalable/apps/${APP_ID}.svg
    share/man/man1/velorix.1
    share/man/de/man1/velorix.1
    share/metainfo/${APP_ID}.metainfo.xml)
file(GLOB_RECURSE installed RELATIVE "${PREFIX}" "${PREFIX}/*")
list(SORT installed)
list(SORT expected)
if(NOT installed STREQUAL expected)
    message(FATAL_ERROR "installed:\n  ${installed}\nexpected:\n  ${expected}")
endif()
execute_process(COMMAND test -x "${PREFIX}/bin/velorix" RESULT_VARIABLE not_executable)
if(not_executable)
    message(FATAL_ERROR "bin/velorix is not executable")
endif()

function(expect_line file regex what)
    file(STRINGS "${PREFIX}/${file}" lines REGEX "${regex}")
    if(NOT lines)
        message(FATAL_ERROR "${file}: no ${what} (${regex})")
    endif()
endfunction()

# The entry starts the installed program and shows the installed icon.
set(entry share/applications/${APP_ID}.desktop)
expect_line(${entry} "^Exec=velorix$" "Exec of the installed program")
expect_line(${entry} "^Icon=${APP_ID}$" "Icon named after the installed icon")
expect_line(${entry} "^Categories=.*Game;" "Game category")
expect_line(${entry} "^Name=Velorix$" "Name")
# English, with German beside it for a German desktop.
expect_line(${entry} "^Comment=.*vehicle" "English comment")
foreach(key GenericName Comment Keywords)
    expect_line(${entry} "^${key}\\[de\\]=" "German ${key}")
endforeach()

# The metainfo carries the same id and launches that entry.
set(meta share/metainfo/${APP_ID}.metainfo.xml)
expect_line(${meta} "<id>${APP_ID}</id>" "component id")
expect_line(${meta} "<launchable type=\"desktop-id\">${APP_ID}.desktop</launchable>"
            "launchable of the entry")
expect_line(${meta} "<binary>velorix</binary>" "provided binary")
expect_line(${meta} "<content_rating type=\"oars-1.1\"" "content rating")
expect_line(${meta} "<release version=\"[0-9.]+\"" "release")
expect_line(${meta} "docs/screenshot.png</image>" "screenshot")
expect_line(${meta} "<lang percentage=\"100\">de</lang>" "German as the window's language")

# The icon is an SVG drawing of its own.
file(READ "${PREFIX}/share/icons/hicolor/scalable/apps/${APP_ID}.svg" svg)
if(NOT svg MATCHES "<svg[^>]*viewBox=\"0 0 128 128\"")
    message(FATAL_ERROR "the icon is not a square SVG drawing")
endif()
