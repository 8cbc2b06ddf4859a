# The portable sources that the Windows build compiles unchanged, read from
# the project's own library targets (runtime, outside, manager, library), so
# that this list follows every change there. server.cpp is left out:
# on Windows the platform layer (windows/platform) implements
# runtime/server.h with the platform's class registry instead; the build
# tools take it back in (SARN_POSIX_SERVER_SOURCE). The same goes for
# text_locale.cpp, where the runtime reads the user's locale
# (SARN_POSIX_TEXT_LOCALE_SOURCE). Targets that compile runtime/text.cpp call
# sarn_case_folding_table() for the table it includes.
set(SARN_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)
set(portable_sources)
foreach(folder runtime outside manager library)
  file(READ ${SARN_ROOT}/${folder}/CMakeLists.txt text)
  string(REGEX MATCH "add_library\\(${folder}[^)]*\\)" target "${text}")
  if(NOT target)
    message(FATAL_ERROR "No add_library(${folder} ...) in ${folder}/CMakeLists.txt")
  endif()
  string(REGEX MATCHALL "[A-Za-z0-9_/]+\\.cpp" files "${target}")
  foreach(f ${files})
    list(APPEND portable_sources ${SARN_ROOT}/${folder}/${f})
  endforeach()
endforeach()
set(SARN_POSIX_SERVER_SOURCE ${SARN_ROOT}/runtime/server.cpp)
list(REMOVE_ITEM portable_sources ${SARN_POSIX_SERVER_SOURCE})
set(SARN_POSIX_TEXT_LOCALE_SOURCE ${SARN_ROOT}/runtime/text_locale.cpp)
list(REMOVE_ITEM portable_sources ${SARN_POSIX_TEXT_LOCALE_SOURCE})
include(${SARN_ROOT}/runtime/case_folding.cmake)
