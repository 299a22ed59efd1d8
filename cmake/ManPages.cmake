# Manual pages of the commands, made from their --help texts.

# meanflux_man_pages(TARGET...)
#
# Makes a manual page, section 1, for each command target, from the text its --help writes
# (cmake/man_page.cmake turns it into roff) and its worked examples (man/<command>.examples),
# whenever the command or its examples change; installs the
# pages under share/man/man1, and gathers them in the target meanflux_man_pages (part of "all").
# Each page names the others under SEE ALSO.  A command added to the list gets its page.
function(meanflux_man_pages)
    if(CMAKE_CROSSCOMPILING)
        message(STATUS "meanflux: no manual pages: the commands cannot run on this machine")
        return()
    endif()
    set(names "")
    foreach(target IN LISTS ARGN)
        get_target_property(name ${target} OUTPUT_NAME)
        if(NOT name)
            set(name ${target})
        endif()
        list(APPEND names ${name})
    endforeach()
    list(JOIN names "," see_also)

    set(pages "")
    set(directory ${PROJECT_BINARY_DIR}/man)
    foreach(target name IN ZIP_LISTS ARGN names)
        set(page ${directory}/${name}.1)
        set(examples ${PROJECT_SOURCE_DIR}/man/${name}.examples)
        if(NOT EXISTS ${examples})
            set(examples "")
        endif()
        add_custom_command(OUTPUT ${page}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${directory}
            COMMAND ${CMAKE_COMMAND}
                -DPROGRAM=$<TARGET_FILE:${target}> -DNAME=${name}
                -DVERSION=${PROJECT_VERSION} -DSEE_ALSO=${see_also} -DOUTPUT=${page}
                -DEXAMPLES=${examples}
                -P ${PROJECT_SOURCE_DIR}/cmake/man_page.cmake
            DEPENDS ${target} ${PROJECT_SOURCE_DIR}/cmake/man_page.cmake
                ${PROJECT_SOURCE_DIR}/cmake/help_text.cmake ${examples}
            COMMENT "Manual page of ${name}"
            VERBATIM)
        list(APPEND pages ${page})
    endforeach()
    add_custom_target(meanflux_man_pages ALL DEPENDS ${pages})
    install(FILES ${pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
