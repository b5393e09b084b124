# SPDX-License-Identifier: MIT
# Run by cpack after it made the packages. CPack 3.25 writes a .tar.gz with
# its members in the order of the file system and owned by whoever packs, so
# each one is written again here: members sorted by name, owned by root and
# dated at the source date, for the same bytes from every build of a commit.
set(archives ${CPACK_PACKAGE_FILES})
list(FILTER archives INCLUDE REGEX "\\.tar\\.gz$")
foreach(package IN LISTS archives)
  set(dir ${package}.d)
  file(REMOVE_RECURSE ${dir})
  file(MAKE_DIRECTORY ${dir})
  execute_process(COMMAND tar -xzf ${package} -C ${dir} COMMAND_ERROR_IS_FATAL ANY)
  file(GLOB members RELATIVE ${dir} ${dir}/*)
  execute_process(
    COMMAND tar --sort=name --owner=0 --group=0 --numeric-owner
      --mtime=@$ENV{SOURCE_DATE_EPOCH} -cf - ${members}
    COMMAND gzip -9n
    WORKING_DIRECTORY ${dir} OUTPUT_FILE ${package} COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${dir})
endforeach()
