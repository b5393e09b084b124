# SPDX-License-Identifier: MIT
# tax2008_debian_changelog(NEWS OUT MAINTAINER): writes NEWS as a Debian changelog. Each
# release in NEWS is a line "VERSION (Day, DD Mon YYYY)", or with " HH:MM" UTC
# after the year for a second release on one day, followed by items
# that start with "- " and go on in lines indented by two spaces.
function(tax2008_debian_changelog news out maintainer)
  file(STRINGS ${news} lines)
  set(changelog "")
  set(trailer "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^([0-9][0-9.]*) \\(([A-Z][a-z][a-z], [0-9][0-9] [A-Z][a-z][a-z] [0-9]+)( [0-9:]+)?\\)$")
      set(time "${CMAKE_MATCH_3}")
      if(NOT time)
        set(time " 00:00")
      endif()
      string(APPEND changelog "${trailer}${PROJECT_NAME} (${CMAKE_MATCH_1}) unstable; urgency=medium\n\n")
      set(trailer "\n -- ${maintainer}  ${CMAKE_MATCH_2}${time}:00 +0000\n\n")
    elseif(trailer AND line MATCHES "^- (.*)")
      string(APPEND changelog "  * ${CMAKE_MATCH_1}\n")
    elseif(trailer AND line MATCHES "^  (.*)")
      string(APPEND changelog "    ${CMAKE_MATCH_1}\n")
    endif()
  endforeach()
  if(NOT changelog MATCHES "^${PROJECT_NAME} \\(${PROJECT_VERSION}\\)")
    message(FATAL_ERROR "NEWS has no entry for ${PROJECT_VERSION} at the top")
  endif()
  string(REGEX REPLACE "\n\n$" "\n" trailer "${trailer}")
  file(WRITE ${out} "${changelog}${trailer}")
endfunction()
