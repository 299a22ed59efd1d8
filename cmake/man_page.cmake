# Writes the manual page of a command from its --help text, in plain roff (man macros).
#
#   cmake -DPROGRAM=<built command> -DNAME=<its name> -DVERSION=<x.y.z> -DSEE_ALSO=<a,b,...>
#         -DOUTPUT=<page.1> -P man_page.cmake
#
# The help text is read as every command of the project writes it:
#   usage: NAME ...            one line, or more with the further lines indented
#                              (a blank line)
#   Paragraphs of description, separated by blank lines; an indented line beginning "- " is
#   an item of a list, the lines indented under it belong to it.
#   options:
#     -x, --long ARG  what it does, continued on lines
#                     indented under the text
#                              (a blank line)
#   exit status: what each status means, possibly over several lines
# With -DEXAMPLES=<file>, the page ends with an EXAMPLES section made from that file: paragraphs
# of text separated by blank lines, and command lines indented by four spaces ("    $ meanflux
# ..."), shown as typed.
# A line "word:" alone after a blank line begins a section of that name.  The NAME line of the page is the
# description's first sentence, up to its first colon or full stop.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/help_text.cmake)

foreach(required PROGRAM NAME VERSION OUTPUT)
    if(NOT DEFINED ${required})
        message(FATAL_ERROR "man_page.cmake: ${required} is not set")
    endif()
endforeach()

read_help(man_page.cmake help)

# Text as roff shows it: a backslash is \e, a dash is \- (so that options and command names can
# be copied from the page and searched for), and a line may not begin with a control character.
function(roff_text text out_var)
    string(REPLACE "\\" "\\e" text "${text}")
    string(REPLACE "-" "\\-" text "${text}")
    if(text MATCHES "^[.']")
        set(text "\\&${text}")
    endif()
    set(${out_var} "${text}" PARENT_SCOPE)
endfunction()

set(synopsis "")
set(body "")
set(first_paragraph "")
set(state usage)          # usage, description, options, exit
set(paragraph_pending OFF) # a blank line was met: the next text begins a paragraph
set(previous_blank OFF)    # the line before was blank
set(in_list OFF)           # the last text belonged to a list item
set(description_started OFF)
set(first_paragraph_done OFF)

set(rest "${help}")
while(NOT rest STREQUAL "")
    next_line(rest line)
    string(STRIP "${line}" stripped)
    roff_text("${stripped}" text)
    set(after_blank ${previous_blank})
    if(stripped STREQUAL "")
        set(previous_blank ON)
    else()
        set(previous_blank OFF)
    endif()

    if(state STREQUAL "usage")
        if(stripped STREQUAL "")
            set(state description)
        else()
            # (REGEX REPLACE would apply "^" again after each match: MATCHES takes it once.)
            if(stripped MATCHES "^usage: *(.*)$")
                set(stripped "${CMAKE_MATCH_1}")
            endif()
            string(REGEX MATCH "^([^ ]+) *(.*)$" ignored "${stripped}")
            roff_text("${CMAKE_MATCH_1}" command)
            roff_text("${CMAKE_MATCH_2}" arguments)
            if(NOT synopsis STREQUAL "")
                string(APPEND synopsis ".br\n")
            endif()
            string(APPEND synopsis ".B ${command}\n")
            if(NOT arguments STREQUAL "")
                string(APPEND synopsis "${arguments}\n")
            endif()
        endif()
        continue()
    endif()

    # Lines that begin a section, whatever the state.
    if(line STREQUAL "options:")
        set(state options)
        string(APPEND body ".SH OPTIONS\n")
        continue()
    endif()
    if(line MATCHES "^exit status: *(.*)$")
        set(state exit)
        roff_text("${CMAKE_MATCH_1}" text)
        string(APPEND body ".SH EXIT STATUS\n${text}\n")
        continue()
    endif()
    if(after_blank AND line MATCHES "^([a-z][a-z ]*):$")
        string(TOUPPER "${CMAKE_MATCH_1}" section)
        set(state description)
        set(paragraph_pending OFF)
        set(in_list OFF)
        string(APPEND body ".SH ${section}\n")
        continue()
    endif()

    if(state STREQUAL "options")
        if(stripped STREQUAL "")
            set(state description)
            set(paragraph_pending ON)
        elseif(line MATCHES "^ ? ? ? ? ? ? ?(-[^ ]*( [^ ]+)*)(  +(.*))?$")
            roff_text("${CMAKE_MATCH_1}" option)
            roff_text("${CMAKE_MATCH_4}" text)
            string(APPEND body ".TP\n.B ${option}\n")
            if(NOT text STREQUAL "")
                string(APPEND body "${text}\n")
            endif()
        else()
            string(APPEND body "${text}\n")
        endif()
    elseif(state STREQUAL "exit")
        if(NOT stripped STREQUAL "")
            string(APPEND body "${text}\n")
        endif()
    else() # description
        if(NOT description_started)
            string(APPEND body ".SH DESCRIPTION\n")
            set(description_started ON)
        endif()
        if(stripped STREQUAL "")
            set(paragraph_pending ON)
            if(NOT first_paragraph STREQUAL "")
                set(first_paragraph_done ON)
            endif()
            continue()
        endif()
        if(NOT first_paragraph_done)
            string(APPEND first_paragraph "${stripped} ")
        endif()
        if(line MATCHES "^ +- (.*)$")
            roff_text("${CMAKE_MATCH_1}" text)
            string(APPEND body ".IP \\(bu 2\n${text}\n")
            set(in_list ON)
        elseif(line MATCHES "^ " AND in_list)
            string(APPEND body "${text}\n")
        else()
            if(paragraph_pending OR in_list)
                string(APPEND body ".PP\n")
            endif()
            string(APPEND body "${text}\n")
            set(in_list OFF)
        endif()
        set(paragraph_pending OFF)
    endif()
endwhile()

if(synopsis STREQUAL "" OR first_paragraph STREQUAL "")
    message(FATAL_ERROR "man_page.cmake: the --help text of ${NAME} has no usage or description")
endif()

# The NAME line: the first sentence of the description, up to its first colon or full stop
# (a full stop ends a sentence where a blank follows it, not in a name such as 1980_m.dat).
string(FIND "${first_paragraph}" ":" colon)
string(FIND "${first_paragraph}" ". " stop)
set(summary_end -1)
foreach(candidate ${colon} ${stop})
    if(candidate GREATER -1 AND (summary_end EQUAL -1 OR candidate LESS summary_end))
        set(summary_end ${candidate})
    endif()
endforeach()
string(SUBSTRING "${first_paragraph}" 0 ${summary_end} summary)
string(STRIP "${summary}" summary)
string(SUBSTRING "${summary}" 0 1 initial)
string(SUBSTRING "${summary}" 1 -1 remainder)
string(TOLOWER "${initial}" initial)
roff_text("${initial}${remainder}" summary)

roff_text("${NAME}" name)
string(TOUPPER "${name}" title)

set(see_also "")
if(DEFINED SEE_ALSO)
    string(REPLACE "," ";" others "${SEE_ALSO}")
    list(REMOVE_ITEM others "${NAME}")
    foreach(other IN LISTS others)
        roff_text("${other}" other)
        if(NOT see_also STREQUAL "")
            string(APPEND see_also ",\n")
        endif()
        string(APPEND see_also ".BR ${other} (1)")
    endforeach()
    # The library's page.
    string(APPEND see_also ",\n.BR meanflux (3)")
    if(NOT see_also STREQUAL "")
        set(see_also ".SH SEE ALSO\n${see_also}\n")
    endif()
endif()

set(examples "")
if(DEFINED EXAMPLES AND NOT EXAMPLES STREQUAL "")
    file(READ "${EXAMPLES}" text)
    set(examples ".SH EXAMPLES\n")
    set(in_example OFF)
    set(new_paragraph ON)
    while(NOT text STREQUAL "")
        next_line(text line)
        if(line MATCHES "^    (.*)$")
            roff_text("${CMAKE_MATCH_1}" shown)
            if(NOT in_example)
                string(APPEND examples ".PP\n.RS 4\n.EX\n")
                set(in_example ON)
            endif()
            string(APPEND examples "${shown}\n")
            continue()
        endif()
        if(in_example)
            string(APPEND examples ".EE\n.RE\n")
            set(in_example OFF)
        endif()
        string(STRIP "${line}" stripped)
        if(stripped STREQUAL "")
            set(new_paragraph ON)
        else()
            roff_text("${stripped}" shown)
            if(new_paragraph)
                string(APPEND examples ".PP\n")
                set(new_paragraph OFF)
            endif()
            string(APPEND examples "${shown}\n")
        endif()
    endwhile()
    if(in_example)
        string(APPEND examples ".EE\n.RE\n")
    endif()
endif()

file(WRITE "${OUTPUT}"
    ".\\\" The manual page of ${NAME}, made from its --help text when it was built.\n"
    ".TH ${title} 1 \"\" \"meanflux ${VERSION}\" \"User Commands\"\n"
    ".SH NAME\n${name} \\- ${summary}\n"
    ".SH SYNOPSIS\n${synopsis}"
    "${body}"
    "${examples}"
    "${see_also}")
