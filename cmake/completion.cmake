# Writes the bash completion of a command from its --help text, so that it names exactly the
# options the command takes.
#
#   cmake -DPROGRAM=<built command> -DNAME=<its name> -DOUTPUT=<file> -P completion.cmake
#
# From the "options:" section of the help, each line that begins an option ("  -x, --long ARG"
# or "      --long ARG") gives its names and the name of its argument; from the usage, the
# operands.  An argument or operand named DIR completes directory names; one named FILE, SOURCE
# or OUTPUT (OUTPUT.svg, ...) completes file names; any other (YEAR, a date) completes nothing.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/help_text.cmake)

foreach(required PROGRAM NAME OUTPUT)
    if(NOT DEFINED ${required})
        message(FATAL_ERROR "completion.cmake: ${required} is not set")
    endif()
endforeach()

read_help(completion.cmake help)

# What an argument named `argument` completes: dirs, files or nothing.
function(argument_kind argument out_var)
    if(argument MATCHES "DIR")
        set(${out_var} dirs PARENT_SCOPE)
    elseif(argument MATCHES "FILE|SOURCE|OUTPUT")
        set(${out_var} files PARENT_SCOPE)
    else()
        set(${out_var} none PARENT_SCOPE)
    endif()
endfunction()


set(words "")          # every option name, in the order of the help
set(with_argument "")  # the names of the options that take an argument
set(cases_dirs "")
set(cases_files "")
set(cases_none "")
set(usage "")
set(state usage)
set(rest "${help}")
while(NOT rest STREQUAL "")
    next_line(rest line)
    if(state STREQUAL "usage")
        if(line STREQUAL "")
            set(state text)
        else()
            # (MATCHES, not REGEX REPLACE, which would apply "^" again after each match.)
            if(line MATCHES "^(usage:)? *[^ ]+ *(.*)$")
                string(APPEND usage " ${CMAKE_MATCH_2}")
            endif()
        endif()
    elseif(line STREQUAL "options:")
        set(state options)
    elseif(state STREQUAL "options")
        if(line STREQUAL "")
            break()
        endif()
        if(line MATCHES "^  (-[^- ]), (--[^ =]+)( ([^ ]+))?( |$)")
            set(names ${CMAKE_MATCH_1} ${CMAKE_MATCH_2})
            set(argument "${CMAKE_MATCH_4}")
        elseif(line MATCHES "^      (--[^ =]+)( ([^ ]+))?( |$)")
            set(names ${CMAKE_MATCH_1})
            set(argument "${CMAKE_MATCH_3}")
        else()
            continue() # the text of the option above, continued
        endif()
        list(APPEND words ${names})
        if(NOT argument STREQUAL "")
            list(APPEND with_argument ${names})
            argument_kind("${argument}" kind)
            list(JOIN names "|" pattern)
            list(APPEND cases_${kind} "${pattern}")
        endif()
    endif()
endwhile()
if(words STREQUAL "")
    message(FATAL_ERROR "completion.cmake: the --help text of ${NAME} names no option")
endif()

# The operands: what the usage holds once its optional parts and the options (with their
# arguments) are taken out.
string(REGEX REPLACE "\\[[^]]*\\]" "" usage "${usage}")
string(REGEX REPLACE " +" ";" usage_words "${usage}")
set(operand_kind none)
set(skip OFF)
foreach(word IN LISTS usage_words)
    if(skip)
        set(skip OFF)
    elseif(word MATCHES "^-")
        if(word IN_LIST with_argument)
            set(skip ON)
        endif()
    elseif(NOT word STREQUAL "")
        argument_kind("${word}" kind)
        if(NOT kind STREQUAL "none")
            set(operand_kind ${kind})
        endif()
    endif()
endforeach()

set(complete_dirs [[mapfile -t COMPREPLY < <(compgen -d -- "$cur")]])
set(complete_files [[mapfile -t COMPREPLY < <(compgen -f -- "$cur")]])
set(complete_none ":")

set(cases "")
foreach(kind dirs files none)
    if(NOT cases_${kind} STREQUAL "")
        list(JOIN cases_${kind} "|" pattern)
        string(APPEND cases "    ${pattern})\n        ${complete_${kind}}\n        return ;;\n")
    endif()
endforeach()
list(JOIN words " " word_list)
string(MAKE_C_IDENTIFIER "_${NAME}" function)

file(WRITE "${OUTPUT}.new" "# bash completion of ${NAME}, made from its --help text when it was built.
${function}()
{
    local cur=\${COMP_WORDS[COMP_CWORD]} prev='' i
    ((COMP_CWORD > 0)) && prev=\${COMP_WORDS[COMP_CWORD - 1]}
    # --option=VALUE: bash makes the sign a word of its own.
    if [[ $cur == = ]]; then
        cur=''
    elif [[ $prev == = ]] && ((COMP_CWORD > 1)); then
        prev=\${COMP_WORDS[COMP_CWORD - 2]}
    fi
    COMPREPLY=()
    for ((i = 1; i < COMP_CWORD; i++)); do
        if [[ \${COMP_WORDS[i]} == -- ]]; then
            ${complete_${operand_kind}}
            return
        fi
    done
    case $prev in
${cases}    esac
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W '${word_list}' -- \"$cur\")
        return
    fi
    ${complete_${operand_kind}}
}
complete -o filenames -F ${function} ${NAME}
")
file(RENAME "${OUTPUT}.new" "${OUTPUT}")
