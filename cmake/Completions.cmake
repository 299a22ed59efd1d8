# Bash completions of the commands, made from their --help texts.

# meanflux_completions(TARGET...)
#
# Makes the bash completion of each command target from the text its --help writes
# (cmake/completion.cmake), whenever the command is built again, so that it never names an option
# the command lacks or misses one it has; installs each under
# share/bash-completion/completions/<command>, where bash-completion loads it the first time the
# command is completed, and gathers them in the target meanflux_completions (part of "all").
function(meanflux_completions)
    if(CMAKE_CROSSCOMPILING)
        message(STATUS "meanflux: no bash completions: the commands cannot run on this machine")
        return()
    endif()
    set(files "")
    set(directory ${PROJECT_BINARY_DIR}/completions)
    foreach(target IN LISTS ARGN)
        get_target_property(name ${target} OUTPUT_NAME)
        if(NOT name)
            set(name ${target})
        endif()
        set(file ${directory}/${name})
        add_custom_command(OUTPUT ${file}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${directory}
            COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${target}> -DNAME=${name}
                -DOUTPUT=${file} -P ${PROJECT_SOURCE_DIR}/cmake/completion.cmake
            DEPENDS ${target} ${PROJECT_SOURCE_DIR}/cmake/completion.cmake
                ${PROJECT_SOURCE_DIR}/cmake/help_text.cmake
            COMMENT "Bash completion of ${name}"
            VERBATIM)
        list(APPEND files ${file})
    endforeach()
    add_custom_target(meanflux_completions ALL DEPENDS ${files})
    install(FILES ${files} DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
endfunction()
