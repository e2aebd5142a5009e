# Windows: the runtime beside the programs, and the two packages.
#
# - windows-runtime (part of every build): the Qt and MinGW DLLs and the Qt plugins are
#   copied into bin/, so that the programs and the tests there run as they are (under Wine here).
# - windows-packages: the programs, their runtime, the README and the licences are staged in
#   windows/Tarnwick-VERSION/ (stripped), then zipped (the portable zip) and made into an NSIS
#   installer with makensis.
#
# Every text comes from the variables that packaging/CMakeLists.txt sets for the other packages:
# TARNWICK_PRODUCT_NAME, _COMPANY_NAME, _COPYRIGHT, _FILE_DESCRIPTION, _EXECUTABLE_NAME,
# _VERSION_TEXT, _PACKAGE_VERSION, _HOMEPAGE and _ICON_FILE.

find_package(Qt6 6.4 REQUIRED COMPONENTS Core Gui Widgets)
find_package(Qt6 6.4 QUIET COMPONENTS Test)

set(_win ${CMAKE_CURRENT_BINARY_DIR}/windows)
set(_win_name "${TARNWICK_EXECUTABLE_NAME}-${TARNWICK_VERSION_TEXT}")
set(TARNWICK_WINDOWS_ZIP ${CMAKE_BINARY_DIR}/${_win_name}-win64.zip)
set(TARNWICK_WINDOWS_INSTALLER ${CMAKE_BINARY_DIR}/${_win_name}-win64-setup.exe)

# --- What the programs need at run time ---------------------------------------------------
function(_tarnwick_mingw_dll name out_var)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${name}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
        message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${name} is")
    endif()
    set(${out_var} "${path}" PARENT_SCOPE)
endfunction()
set(_runtime_dlls)
foreach(name libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    _tarnwick_mingw_dll(${name} path)
    list(APPEND _runtime_dlls "${path}")
endforeach()
foreach(module Core Gui Widgets)
    list(APPEND _runtime_dlls $<TARGET_FILE:Qt6::${module}>)
endforeach()
# Plugins by folder: the Windows platform, the Windows styles, and the GIF and ICO readers for
# the pictures and the icon.
set(_plugins_platforms $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>)
set(_plugins_styles $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin>)
set(_plugins_imageformats $<TARGET_FILE:Qt6::QGifPlugin> $<TARGET_FILE:Qt6::QICOPlugin>)

# Only the tests need these: QtTest and the offscreen platform.
set(_test_dlls)
if(TARGET Qt6::Test)
    list(APPEND _test_dlls $<TARGET_FILE:Qt6::Test>)
endif()
set(_test_platforms $<TARGET_FILE:Qt6::QOffscreenIntegrationPlugin>)

set(_bin ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
add_custom_target(windows-runtime ALL
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_bin}/platforms ${_bin}/styles
            ${_bin}/imageformats
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${_runtime_dlls} ${_test_dlls} ${_bin}/
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${_plugins_platforms} ${_test_platforms}
            ${_bin}/platforms/
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${_plugins_styles} ${_bin}/styles/
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${_plugins_imageformats} ${_bin}/imageformats/
    COMMENT "Copying the Qt and MinGW runtime into ${_bin}"
    VERBATIM COMMAND_EXPAND_LISTS)

# --- README and licences -------------------------------------------------------------------
set(TARNWICK_WINDOWS_FOLDER_NAME "${TARNWICK_EXECUTABLE_NAME}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/README.txt.in ${_win}/README.txt @ONLY
               NEWLINE_STYLE CRLF)
configure_file(${CMAKE_CURRENT_LIST_DIR}/LICENSES.txt.in ${_win}/LICENSES.txt @ONLY
               NEWLINE_STYLE CRLF)
# The licences of what is shipped beside the programs, as Debian gives them.
set(_licences
    "Qt.txt=/usr/share/doc/libqt6core6/copyright"
    "LGPL-3.txt=/usr/share/common-licenses/LGPL-3"
    "GPL-3.txt=/usr/share/common-licenses/GPL-3"
    "MinGW-GCC-runtime.txt=/usr/share/doc/gcc-mingw-w64-base/copyright"
    "MinGW-w64-winpthreads.txt=/usr/share/doc/mingw-w64-common/copyright")
foreach(entry IN LISTS _licences)
    string(REPLACE "=" ";" entry "${entry}")
    list(GET entry 1 source)
    if(NOT EXISTS "${source}")
        message(FATAL_ERROR "Licence text ${source} is missing (tools/install-deps.sh --windows)")
    endif()
endforeach()

# --- The packages --------------------------------------------------------------------------
function(_tarnwick_escape_nsis text out_var)
    string(REPLACE "$" "$$" text "${text}")
    string(REPLACE "\"" "$\\\"" text "${text}")
    set(${out_var} "${text}" PARENT_SCOPE)
endfunction()
foreach(field PRODUCT_NAME COMPANY_NAME COPYRIGHT FILE_DESCRIPTION)
    _tarnwick_escape_nsis("${TARNWICK_${field}}" TARNWICK_${field}_NSIS)
endforeach()
set(TARNWICK_WINDOWS_STAGE ${_win}/stage/${_win_name})
set(TARNWICK_WINDOWS_NSIS_LISTS ${_win}/nsis)
configure_file(${CMAKE_CURRENT_LIST_DIR}/Tarnwick.nsi.in ${_win}/Tarnwick.nsi @ONLY)

find_program(TARNWICK_MAKENSIS makensis)
if(NOT TARNWICK_MAKENSIS)
    message(WARNING "makensis (Debian: nsis) not found: no Windows installer can be made")
endif()

# What Stage.cmake copies, one "destination folder|file" a line.
set(_stage_files)
foreach(file $<TARGET_FILE:Tarnwick> $<TARGET_FILE:tarnwick-estimate> ${_runtime_dlls}
        ${_win}/README.txt ${_win}/LICENSES.txt)
    list(APPEND _stage_files ".|${file}")
endforeach()
foreach(folder platforms styles imageformats)
    foreach(file ${_plugins_${folder}})
        list(APPEND _stage_files "${folder}|${file}")
    endforeach()
endforeach()
foreach(entry IN LISTS _licences)
    string(REPLACE "=" ";" entry "${entry}")
    list(GET entry 0 name)
    list(GET entry 1 source)
    list(APPEND _stage_files "licences/${name}|${source}")
endforeach()

file(GENERATE OUTPUT ${_win}/stage-files.txt CONTENT "$<JOIN:${_stage_files},\n>\n")

add_custom_target(windows-packages
    COMMAND ${CMAKE_COMMAND} -DSTAGE=${TARNWICK_WINDOWS_STAGE}
            -DNSIS_LISTS=${TARNWICK_WINDOWS_NSIS_LISTS} -DSTRIP=${CMAKE_STRIP}
            -DFILE_LIST=${_win}/stage-files.txt -P ${CMAKE_CURRENT_LIST_DIR}/Stage.cmake
    COMMAND ${CMAKE_COMMAND} -E rm -f ${TARNWICK_WINDOWS_ZIP}
    COMMAND ${CMAKE_COMMAND} -E chdir ${_win}/stage
            ${CMAKE_COMMAND} -E tar cf ${TARNWICK_WINDOWS_ZIP} --format=zip ${_win_name}
    COMMAND ${TARNWICK_MAKENSIS} -V2 -INPUTCHARSET UTF8 ${_win}/Tarnwick.nsi
    DEPENDS Tarnwick tarnwick-estimate
    BYPRODUCTS ${TARNWICK_WINDOWS_ZIP} ${TARNWICK_WINDOWS_INSTALLER}
    COMMENT "Making ${_win_name}-win64.zip and ${_win_name}-win64-setup.exe"
    VERBATIM COMMAND_EXPAND_LISTS)
