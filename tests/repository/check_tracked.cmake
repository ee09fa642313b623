# SPDX-License-Identifier: GPL-3.0-or-later
# The repository holds sources only: no tracked file may be something a build or a tool makes
# (compiled caches, objects, libraries, programs, built pages or packages). Outside a git
# checkout, as in a source tarball, there is nothing to check.
find_program(GIT git)
if(NOT GIT OR NOT EXISTS ${SOURCE_DIR}/.git)
    message("SKIPPED: not a git checkout")
    return()
endif()
execute_process(COMMAND ${GIT} -C ${SOURCE_DIR} ls-files OUTPUT_VARIABLE files
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "git ls-files failed")
endif()
string(REPLACE "\n" ";" files "${files}")
set(made "")
foreach(file IN LISTS files)
    if(file MATCHES "(^|/)(__pycache__|node_modules|build[^/]*|site)/|\\.(py[co]|o|obj|a|so|wasm|deb|tar\\.gz)$")
        list(APPEND made ${file})
    endif()
endforeach()
if(made)
    list(JOIN made "\n  " made)
    message(FATAL_ERROR "build products are tracked:\n  ${made}")
endif()
