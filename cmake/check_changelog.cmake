cmake_minimum_required(VERSION 3.25)
# The version stands in one place, project() in CMakeLists.txt; the newest
# entry of debian/changelog must name the same one, with a date. Run by
# ctest and by the package build:
#   cmake -DROOT=<source tree> -P check_changelog.cmake
include(${CMAKE_CURRENT_LIST_DIR}/debian_changelog.cmake)
file(STRINGS ${ROOT}/CMakeLists.txt project_line REGEX "^project\\(")
if(NOT project_line MATCHES "VERSION ([0-9][0-9.]*)")
  message(FATAL_ERROR "${ROOT}/CMakeLists.txt: no project(... VERSION ...) line")
endif()
set(project_version ${CMAKE_MATCH_1})
nadelwerk_changelog(${ROOT}/debian/changelog changelog_version changelog_date)
if(NOT changelog_version STREQUAL project_version)
  message(FATAL_ERROR "debian/changelog names version '${changelog_version}', CMakeLists.txt "
                      "${project_version}: add an entry for ${project_version} (dch -v ${project_version})")
endif()
if(changelog_date STREQUAL "")
  message(FATAL_ERROR "debian/changelog: the entry of ${project_version} has no readable date")
endif()
message("debian/changelog: ${changelog_version} of ${changelog_date}, as CMakeLists.txt")
