# The versions Windows can carry. Windows Installer compares major.minor.build
# with major and minor in a byte each and build in 16 bits, and a version
# resource holds 16 bits a field: beyond those a package would be compared
# wrongly against the one it should replace. A fourth field it ignores, so
# two builds differing only there would install side by side; and a leading
# zero would read as octal in the resource script.
# Included, it defines check_windows_version(VERSION); run on its own, it
# checks one:  cmake -DVERSION=1.0.1 -P cmake/windows-version.cmake
function(check_windows_version version)
    string(REGEX MATCH "^(0|[1-9][0-9]*)\\.(0|[1-9][0-9]*)\\.(0|[1-9][0-9]*)$" fields "${version}")
    if(fields STREQUAL "" OR CMAKE_MATCH_1 GREATER 255 OR CMAKE_MATCH_2 GREATER 255
            OR CMAKE_MATCH_3 GREATER 65535)
        message(FATAL_ERROR "\"${version}\" is no version Windows can carry: it takes three "
            "decimal fields, major.minor.build, up to 255.255.65535, and compares others wrongly")
    endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    check_windows_version("${VERSION}")
endif()
