# SPDX-License-Identifier: GPL-3.0-or-later
# Validates the metainfo with the system's appstreamcli: no error, warning or info, except the
# one info Debian 12's validator gives for the <developer> element it predates. Then every
# English text must have its German translation beside it.
execute_process(COMMAND appstreamcli validate --no-net ${METAINFO}
                OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE result)
message("${output}")
if(NOT result EQUAL 0)
    message(FATAL_ERROR "appstreamcli validate failed")
endif()
string(REPLACE "\n" ";" lines "${output}")
foreach(line IN LISTS lines)
    if(line MATCHES "^[EWI]: " AND NOT line MATCHES "^I: [^ ]+:[0-9]+: unknown-tag developer$")
        message(FATAL_ERROR "not accepted: ${line}")
    endif()
endforeach()

file(READ ${METAINFO} xml)
foreach(tag summary p li keyword caption)
    string(REGEX MATCHALL "<${tag}>" english "${xml}")
    string(REGEX MATCHALL "<${tag} xml:lang=\"de\">" german "${xml}")
    list(LENGTH english english)
    list(LENGTH german german)
    if(english EQUAL 0 OR NOT german EQUAL english)
        message(FATAL_ERROR "${english} <${tag}> in English, ${german} in German")
    endif()
endforeach()
