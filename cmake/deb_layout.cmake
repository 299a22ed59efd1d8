# Run by cpack on the files of the Debian package before it is made (CPACK_PRE_BUILD_SCRIPTS):
# puts them where Debian has them.
#   - The Python package goes from lib/python3.X/site-packages, the site directory of a plain
#     prefix, to lib/python3/dist-packages, where Debian's python3 looks for it.
#   - The licence is also the package's copyright file, share/doc/meanflux/copyright; the
#     changes are its changelog.gz.
#   - The manual pages are compressed with gzip, as man reads them in Debian.
if(NOT CPACK_TEMPORARY_INSTALL_DIRECTORY OR NOT CPACK_GENERATOR STREQUAL "DEB")
    return()
endif()
set(root "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
file(GLOB site_packages LIST_DIRECTORIES true "${root}/lib/python3*/site-packages/meanflux")
foreach(package IN LISTS site_packages)
    file(MAKE_DIRECTORY "${root}/lib/python3/dist-packages")
    file(RENAME "${package}" "${root}/lib/python3/dist-packages/meanflux")
    get_filename_component(site "${package}" DIRECTORY)
    get_filename_component(version_dir "${site}" DIRECTORY)
    file(REMOVE_RECURSE "${version_dir}")
endforeach()
set(doc "${root}/share/doc/meanflux")
if(EXISTS "${doc}/LICENSE")
    file(COPY_FILE "${doc}/LICENSE" "${doc}/copyright")
endif()

# A file replaced by its gzip-compressed copy `compressed`.
function(gzip_file plain compressed)
    file(ARCHIVE_CREATE OUTPUT "${compressed}" PATHS "${plain}" FORMAT raw COMPRESSION GZip
        COMPRESSION_LEVEL 9)
    file(REMOVE "${plain}")
endfunction()

if(EXISTS "${doc}/CHANGELOG.md")
    gzip_file("${doc}/CHANGELOG.md" "${doc}/changelog.gz")
endif()
file(GLOB pages "${root}/share/man/man[1-9]/*.[1-9]")
foreach(page IN LISTS pages)
    gzip_file("${page}" "${page}.gz")
endforeach()
