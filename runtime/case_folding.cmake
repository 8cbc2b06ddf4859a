# sarn_case_folding_table(target): generates the case folding table that
# runtime/text.cpp includes, from the Unicode character database of the build
# machine (Debian's unicode-data), into the target's build folder.
set(SARN_CASE_FOLDING_FILE /usr/share/unicode/CaseFolding.txt CACHE FILEPATH "CaseFolding.txt of the Unicode character database")
set(SARN_CASE_FOLDING_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/tools/case_folding_table.cmake)

function(sarn_case_folding_table target)
  if(NOT EXISTS "${SARN_CASE_FOLDING_FILE}")
    message(FATAL_ERROR "No ${SARN_CASE_FOLDING_FILE}: install the package unicode-data (scripts/setup.sh)")
  endif()
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/case_folding)
  add_custom_command(OUTPUT ${dir}/case_folding_table.inc
    COMMAND ${CMAKE_COMMAND} -DIN=${SARN_CASE_FOLDING_FILE} -DOUT=${dir}/case_folding_table.inc
            -P ${SARN_CASE_FOLDING_SCRIPT}
    DEPENDS ${SARN_CASE_FOLDING_FILE} ${SARN_CASE_FOLDING_SCRIPT}
    COMMENT "Generating the case folding table")
  target_sources(${target} PRIVATE ${dir}/case_folding_table.inc)
  target_include_directories(${target} PRIVATE ${dir})
endfunction()
