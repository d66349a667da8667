# Run at install time (see packaging.cmake): the manual page, made from the
# program's own --help text so that it lists every command the program has, and
# the changelog, both compressed as Debian wants them (gzip -9, no time stamp).
#
# Set by the caller: MIVORA_EXE, MIVORA_VERSION, SUMMARY, DESCRIPTION, TEMPLATE,
# CHANGELOG, OUTPUT_DIR.

# Included into cmake_install.cmake, whose policies are those of old CMake.
cmake_policy(PUSH)
cmake_policy(SET CMP0007 NEW) # a list keeps its empty elements: the help's blank lines

find_program(GZIP gzip REQUIRED)

function(gzip_into source target)
    execute_process(COMMAND ${GZIP} -9nc ${source} OUTPUT_FILE ${target}
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "gzip ${source}: ${result}")
    endif()
endfunction()

# roff: a backslash is written \e, and a line never starts with a control
# character. In the help every "-" belongs to an option or command name, typed as
# a minus sign (\-); elsewhere it may be a hyphen.
function(roff_text text out)
    string(REPLACE "\\" "\\e" text "${text}")
    if(ARGV2 STREQUAL "MINUS")
        string(REPLACE "-" "\\-" text "${text}")
    endif()
    string(REGEX REPLACE "^([.'])" "\\\\&\\1" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

execute_process(COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 ${MIVORA_EXE} --help
                OUTPUT_VARIABLE help RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${MIVORA_EXE} --help: ${result}")
endif()

# The help: the version line, "使い方:", one line per use ("  mivora USE  WHAT",
# WHAT possibly continued on indented lines), then notes.
string(REPLACE ";" "<semicolon>" help "${help}")
string(REPLACE "\n" ";" lines "${help}")
list(REMOVE_AT lines 0 1)
set(commands "")
set(notes "")
foreach(line IN LISTS lines)
    if(line MATCHES "^  mivora (.*)$")
        set(use "${CMAKE_MATCH_1}")
        string(FIND "${use}" "  " split)
        if(split EQUAL -1)
            string(LENGTH "${use}" split)
        endif()
        string(SUBSTRING "${use}" 0 ${split} synopsis)
        string(SUBSTRING "${use}" ${split} -1 what)
        string(STRIP "${what}" what)
        roff_text("${synopsis}" synopsis MINUS)
        roff_text("${what}" what MINUS)
        string(APPEND commands ".TP\n.B mivora ${synopsis}\n${what}\n")
    elseif(line MATCHES "^   +(.*)$")
        roff_text("${CMAKE_MATCH_1}" more MINUS)
        string(APPEND commands "${more}\n")
    elseif(NOT line STREQUAL "")
        roff_text("${line}" line MINUS)
        string(APPEND notes ".PP\n${line}\n")
    endif()
endforeach()
string(REPLACE "<semicolon>" ";" commands "${commands}")
string(REPLACE "<semicolon>" ";" notes "${notes}")
string(STRIP "${commands}" COMMANDS)
string(STRIP "${notes}" NOTES)
roff_text("${DESCRIPTION}" DESCRIPTION)

configure_file(${TEMPLATE} ${OUTPUT_DIR}/mivora.1 @ONLY)
gzip_into(${OUTPUT_DIR}/mivora.1 ${OUTPUT_DIR}/mivora.1.gz)
gzip_into(${CHANGELOG} ${OUTPUT_DIR}/changelog.gz)

cmake_policy(POP)
