# SPDX-License-Identifier: GPL-3.0-or-later
# One release, one version and date: the project's VERSION, the newest entry of the changelog,
# the newest release of the metainfo and the manual page's header agree.
#   cmake -DVERSION=... -DSOURCE_DIR=... -P check_version.cmake
file(STRINGS ${SOURCE_DIR}/data/changelog lines REGEX "^velorix \\(|^ -- ")
list(GET lines 0 head)
list(GET lines 1 trailer)
string(REGEX MATCH "^velorix \\(([^)]+)\\)" _ "${head}")
set(version "${CMAKE_MATCH_1}")
string(REGEX MATCH ">  [A-Z][a-z][a-z], ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) " _
       "${trailer}")
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND months "${CMAKE_MATCH_2}" month)
math(EXPR month "${month} + 101")
string(SUBSTRING ${month} 1 2 month)
set(changelog "${version} ${CMAKE_MATCH_3}-${month}-${CMAKE_MATCH_1}")
file(STRINGS ${SOURCE_DIR}/data/io.github.velorix.Velorix.metainfo.xml releases REGEX "<release ")
list(GET releases 0 release)
string(REGEX MATCH "version=\"([^\"]+)\" date=\"([^\"]+)\"" _ "${release}")
set(metainfo "${CMAKE_MATCH_1} ${CMAKE_MATCH_2}")
file(STRINGS ${SOURCE_DIR}/data/velorix.1 header REGEX "^\\.TH ")
string(REGEX MATCH "^\\.TH VELORIX 1 ([0-9-]+) \"Velorix ([^\"]+)\"" _ "${header}")
set(manual "${CMAKE_MATCH_2} ${CMAKE_MATCH_1}")
if(NOT changelog STREQUAL metainfo OR NOT changelog STREQUAL manual OR NOT version STREQUAL VERSION)
    message(FATAL_ERROR "project ${VERSION}, changelog ${changelog}, metainfo ${metainfo}, "
                        "manual page ${manual}")
endif()
