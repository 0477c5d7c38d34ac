# The configured strings on their way into what Windows reads: the resource
# script, the manifest and the package's WiX source, each escaped its own way.
# Run on its own, it checks a publisher:
#     cmake -DPUBLISHER="Example Ltd" -P cmake/windows-text.cmake

# The package's code page, Windows-1252: printable ASCII, U+00A0 to U+00FF
# and these in 0x80 to 0x9F.
set(package_code_page 1252)
set(package_code_page_beyond_latin1 € ‚ ƒ „ … † ‡ ˆ ‰ Š ‹ Œ Ž ‘ ’ “ ” • – — ˜ ™ š › œ ž Ÿ)

# Refuses a string the package cannot carry: an empty one, one beyond its
# code page, or one with a "$", which wixl takes for the start of a variable
# and has no escape for. Its characters are matched as UTF-8 bytes, in
# hexadecimal.
function(check_package_text name text)
    if(text STREQUAL "")
        message(FATAL_ERROR "${name} is empty, and the package needs one")
    elseif(text MATCHES "\\$")
        message(FATAL_ERROR "${name} \"${text}\" has a \"$\", which wixl, building the package, "
            "takes for the start of a variable")
    endif()
    set(characters "2[0-9a-f]|[3-6][0-9a-f]|7[0-9a-e]|c2[ab][0-9a-f]|c3[89ab][0-9a-f]")
    foreach(character IN LISTS package_code_page_beyond_latin1)
        string(HEX "${character}" bytes)
        string(APPEND characters "|${bytes}")
    endforeach()
    string(HEX "${text}" bytes)
    if(NOT bytes MATCHES "^(${characters})*$")
        message(FATAL_ERROR "${name} \"${text}\" cannot be written in the package's code page, "
            "Windows-${package_code_page}: only its printable characters can")
    endif()
endfunction()

# For XML text and attribute values. What it leaves has no "<", so no generator
# expression either where the text then passes through file(GENERATE).
function(xml_escape out text)
    string(REPLACE "&" "&amp;" text "${text}")
    string(REPLACE "<" "&lt;" text "${text}")
    string(REPLACE ">" "&gt;" text "${text}")
    string(REPLACE "\"" "&quot;" text "${text}")
    string(REPLACE "'" "&apos;" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# For a string in the resource script, which reads "" as a quote and a
# backslash as the start of an escape.
function(rc_escape out text)
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REPLACE "\"" "\"\"" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    check_package_text(NEWUSER_PUBLISHER "${PUBLISHER}")
endif()
