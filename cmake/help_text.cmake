# What the scripts that turn a command's --help text into files (man_page.cmake, completion.cmake)
# share: the text itself, and its lines one at a time.

# read_help(SCRIPT OUT_VAR): the --help text of ${PROGRAM} into OUT_VAR; a command that fails or
# writes nothing stops SCRIPT with an error.
function(read_help script out_var)
    execute_process(COMMAND "${PROGRAM}" --help
        OUTPUT_VARIABLE help
        RESULT_VARIABLE status)
    if(NOT status EQUAL 0 OR help STREQUAL "")
        message(FATAL_ERROR "${script}: ${PROGRAM} --help failed (${status})")
    endif()
    set(${out_var} "${help}" PARENT_SCOPE)
endfunction()

# next_line(TEXT_VAR LINE_VAR): takes the first line off the text in TEXT_VAR (without its line
# end) into LINE_VAR.  The scripts that read a --help text go through it line by line this way:
# a CMake list would take the brackets of a usage line ([-o FILE]) apart.
function(next_line text_var line_var)
    string(FIND "${${text_var}}" "\n" end)
    if(end EQUAL -1)
        set(${line_var} "${${text_var}}" PARENT_SCOPE)
        set(${text_var} "" PARENT_SCOPE)
    else()
        string(SUBSTRING "${${text_var}}" 0 ${end} line)
        math(EXPR next "${end} + 1")
        string(SUBSTRING "${${text_var}}" ${next} -1 rest)
        set(${line_var} "${line}" PARENT_SCOPE)
        set(${text_var} "${rest}" PARENT_SCOPE)
    endif()
endfunction()
