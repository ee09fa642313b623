# SPDX-License-Identifier: GPL-3.0-or-later
# Writes the service worker: the list of the folder's files and a cache name that changes
# whenever one of them does, so that a new build replaces what a browser keeps.
set(digests "")
set(names "")
foreach(file IN LISTS FILES)
    file(SHA256 ${SITE}/${file} digest)
    string(APPEND digests ${digest})
    string(APPEND names "  './${file}',\n")
endforeach()
string(SHA256 version "${digests}")
string(SUBSTRING ${version} 0 16 VERSION)
set(FILE_LIST "${names}")
configure_file(${TEMPLATE} ${SITE}/sw.js @ONLY)
