# CPack runs this (CPACK_PRE_BUILD_SCRIPTS) on the staged files of the Debian
# package, after the install rules and before the package is built, to do
# what Debian's own packaging tools would: compress the manual pages and the
# changelog, drop the sections that strip leaves in the programs, and add the
# lintian overrides. A plain `cmake --install` keeps the files as they are.
cmake_minimum_required(VERSION 3.21)

set(root "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
set(doc "${root}/share/doc/${CPACK_PACKAGE_NAME}")
if(NOT EXISTS "${doc}/copyright")
  message(FATAL_ERROR "finish-deb: no staged files in ${root}")
endif()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed)
  if(failed)
    list(JOIN ARGN " " command)
    message(FATAL_ERROR "finish-deb: ${command}: ${failed}")
  endif()
endfunction()

# gzip -9n: best compression, and no name or time stamp, so the same files
# give the same package.
file(GLOB manual_pages "${root}/share/man/man*/*.[1-9]")
foreach(file IN LISTS manual_pages ITEMS "${doc}/changelog")
  run(gzip -9nf "${file}")
endforeach()

# The programs are stripped by the install rules (CPACK_STRIP_FILES); like
# dh_strip, also remove the compiler's .comment and the .note sections.
if(NOT CPACK_TESSALY_STRIP)
  set(CPACK_TESSALY_STRIP strip)
endif()
file(GLOB programs "${root}/lib/tessaly/*")
foreach(file IN LISTS programs)
  if(NOT IS_DIRECTORY "${file}")
    file(READ "${file}" magic LIMIT 4 HEX)
    if(magic STREQUAL "7f454c46")
      run("${CPACK_TESSALY_STRIP}" --remove-section=.comment --remove-section=.note "${file}")
    endif()
  endif()
endforeach()

set(overrides "${root}/share/lintian/overrides")
file(MAKE_DIRECTORY "${overrides}")
file(CHMOD "${root}/share/lintian" "${overrides}" DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
file(COPY_FILE "${CPACK_TESSALY_PACKAGE_DIR}/lintian-overrides" "${overrides}/${CPACK_PACKAGE_NAME}")
file(CHMOD "${overrides}/${CPACK_PACKAGE_NAME}" FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
