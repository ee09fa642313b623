# SPDX-License-Identifier: GPL-3.0-or-later
# Writes the service worker: the folder's files, each with its digest, and a cache name that
# changes whenever one of them does, so that a new build replaces what a browser keeps. Run it
# again on a folder whose files changed and it describes that folder.
set(digests "")
set(list "")
foreach(file IN LISTS FILES)
    file(SHA256 ${SITE}/${file} digest)
    string(APPEND digests ${digest})
    # The page itself is kept under the folder's address.
    if(file STREQUAL "index.html")
        set(file "")
    endif()
    string(APPEND list "  ['./${file}', '${digest}'],\n")
endforeach()
string(SHA256 version "${digests}")
string(SUBSTRING ${version} 0 16 VERSION)
set(FILE_LIST "${list}")
configure_file(${TEMPLATE} ${SITE}/sw.js @ONLY)
