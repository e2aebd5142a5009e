# Reads the application's identity texts out of app/Identity.cpp, so that the package, the
# desktop entry, the metainfo and the Windows version information say exactly what the
# program itself says. Nothing here is a second copy of those texts.
#
# tarnwick_read_identity(<source file> <prefix>) sets, in the caller's scope:
#   <prefix>_PROJECT_NAME, <prefix>_EXECUTABLE_NAME, <prefix>_TITLE, <prefix>_PRODUCT_NAME,
#   <prefix>_FILE_DESCRIPTION, <prefix>_INTERNAL_NAME, <prefix>_COMPANY_NAME,
#   <prefix>_COPYRIGHT, <prefix>_TRADEMARKS
# as UTF-8 text. It stops the configuration with an error when the file's layout is not the
# one it knows, rather than guessing.

# Turns one code point into its UTF-8 bytes.
function(_tarnwick_utf8_from_code_point code_point out_var)
    if(code_point LESS 128)
        string(ASCII ${code_point} text)
    elseif(code_point LESS 2048)
        math(EXPR b1 "0xC0 | (${code_point} >> 6)")
        math(EXPR b2 "0x80 | (${code_point} & 0x3F)")
        string(ASCII ${b1} ${b2} text)
    else()
        math(EXPR b1 "0xE0 | (${code_point} >> 12)")
        math(EXPR b2 "0x80 | ((${code_point} >> 6) & 0x3F)")
        math(EXPR b3 "0x80 | (${code_point} & 0x3F)")
        string(ASCII ${b1} ${b2} ${b3} text)
    endif()
    set(${out_var} "${text}" PARENT_SCOPE)
endfunction()

# Decodes the escapes of one C++ string literal's body: \\ \" \' \? and \uXXXX.
function(_tarnwick_unescape_literal body source out_var)
    set(result "")
    set(rest "${body}")
    while(NOT rest STREQUAL "")
        string(FIND "${rest}" "\\" at)
        if(at EQUAL -1)
            string(APPEND result "${rest}")
            break()
        endif()
        string(SUBSTRING "${rest}" 0 ${at} before)
        string(APPEND result "${before}")
        string(SUBSTRING "${rest}" ${at} -1 rest)
        if(rest MATCHES "^\\\\u([0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f])")
            math(EXPR code_point "0x${CMAKE_MATCH_1}")
            _tarnwick_utf8_from_code_point(${code_point} char)
            string(APPEND result "${char}")
            string(SUBSTRING "${rest}" 6 -1 rest)
        elseif(rest MATCHES "^\\\\([\\\\\"'?])")
            string(APPEND result "${CMAKE_MATCH_1}")
            string(SUBSTRING "${rest}" 2 -1 rest)
        else()
            string(SUBSTRING "${rest}" 0 2 escape)
            message(FATAL_ERROR
                "${source}: the escape ${escape} in an identity text is not one the packaging "
                "can read (it reads \\\\, \\\", \\' and \\uXXXX)")
        endif()
    endwhile()
    set(${out_var} "${result}" PARENT_SCOPE)
endfunction()

function(tarnwick_read_identity source prefix)
    file(READ "${source}" text)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${source}")

    string(FIND "${text}" "AppIdentity identity{" start)
    if(start EQUAL -1)
        message(FATAL_ERROR "${source}: no 'AppIdentity identity{' initialiser found")
    endif()
    string(SUBSTRING "${text}" ${start} -1 text)
    string(FIND "${text}" "};" end)
    if(end EQUAL -1)
        message(FATAL_ERROR "${source}: the identity initialiser has no end")
    endif()
    string(SUBSTRING "${text}" 0 ${end} text)
    # Semicolons would split CMake lists; carry them through as a marker.
    string(REPLACE ";" "<tarnwick-semicolon>" text "${text}")

    # Each text is QStringLiteral( one or more adjacent string literals ).
    set(literal [=["([^"\]|\\.)*"]=])
    string(REGEX MATCHALL "QStringLiteral\\([ \t\r\n]*(${literal}[ \t\r\n]*)+\\)" calls "${text}")

    set(values "")
    foreach(call IN LISTS calls)
        string(REGEX MATCHALL "${literal}" pieces "${call}")
        set(value "")
        foreach(piece IN LISTS pieces)
            string(LENGTH "${piece}" length)
            math(EXPR length "${length} - 2")
            string(SUBSTRING "${piece}" 1 ${length} body)
            _tarnwick_unescape_literal("${body}" "${source}" decoded)
            string(APPEND value "${decoded}")
        endforeach()
        list(APPEND values "${value}")
    endforeach()

    # The order of AppIdentity's text members; the version numbers in between are not texts,
    # and the file version text is a format filled in with those numbers.
    set(fields PROJECT_NAME EXECUTABLE_NAME TITLE PRODUCT_NAME FILE_DESCRIPTION
               FILE_VERSION_FORMAT INTERNAL_NAME COMPANY_NAME COPYRIGHT TRADEMARKS ICON_RESOURCE)
    list(LENGTH fields expected)
    list(LENGTH values found)
    if(NOT found EQUAL expected)
        message(FATAL_ERROR
            "${source}: the identity initialiser holds ${found} texts, the packaging expects "
            "${expected} (${fields}); update packaging/Identity.cmake to the new layout")
    endif()
    foreach(field IN LISTS fields)
        list(POP_FRONT values value)
        string(REPLACE "<tarnwick-semicolon>" ";" value "${value}")
        set(${prefix}_${field} "${value}" PARENT_SCOPE)
        set(_${field} "${value}")
    endforeach()

    if(NOT _FILE_VERSION_FORMAT STREQUAL "%1.%2.%3")
        message(FATAL_ERROR
            "${source}: expected the file version format \"%1.%2.%3\" in place 6 of the "
            "identity, found \"${_FILE_VERSION_FORMAT}\"; the texts may have moved")
    endif()
    if(NOT _ICON_RESOURCE MATCHES "^:/")
        message(FATAL_ERROR
            "${source}: expected the icon resource path last in the identity, found "
            "\"${_ICON_RESOURCE}\"; the texts may have moved")
    endif()
    foreach(field PRODUCT_NAME FILE_DESCRIPTION COMPANY_NAME COPYRIGHT TRADEMARKS)
        if(_${field} STREQUAL "")
            message(FATAL_ERROR "${source}: the identity's ${field} text is empty")
        endif()
    endforeach()
endfunction()
