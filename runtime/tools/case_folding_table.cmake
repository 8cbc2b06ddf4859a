# Turns the Unicode character database's CaseFolding.txt into the tables that
# runtime/text.cpp folds with:
#   kFoldRuns        the one-to-one foldings (status C), as runs of code points
#                    that move by the same distance, every code point or every
#                    second one (A..Z, or the capital/small pairs of Latin
#                    Extended-A), so some 1400 foldings take some 200 rows;
#   kFoldExpansions  the foldings into two or three characters (status F);
#   kTurkicFolds     the dotted and dotless i of Turkish and Azeri (status T).
# Simple foldings (status S) are the one-character stand-ins for the F rows
# and are left out.
#
# Usage: cmake -DIN=CaseFolding.txt -DOUT=case_folding_table.inc -P case_folding_table.cmake
cmake_minimum_required(VERSION 3.25)
if(NOT EXISTS "${IN}")
  message(FATAL_ERROR "No ${IN}: install the package unicode-data (scripts/setup.sh)")
endif()

file(STRINGS "${IN}" version LIMIT_COUNT 1 REGEX "^# CaseFolding-")
string(REGEX REPLACE "^# CaseFolding-(.*)\\.txt$" "\\1" version "${version}")
file(STRINGS "${IN}" lines REGEX "^[0-9A-F]+; [CFT]; ")

set(runs "")
set(expansions "")
set(turkic "")
set(run_count 0)
set(expansion_count 0)
set(have_run FALSE)

macro(flush_run)
  if(have_run)
    if(run_stride EQUAL 0)
      set(run_stride 1)
    endif()
    math(EXPR first_hex "${run_first}" OUTPUT_FORMAT HEXADECIMAL)
    math(EXPR last_hex "${run_last}" OUTPUT_FORMAT HEXADECIMAL)
    string(APPEND runs "    {${first_hex}, ${last_hex}, ${run_delta}, ${run_stride}},\n")
    math(EXPR run_count "${run_count} + 1")
  endif()
endmacro()

foreach(line IN LISTS lines)
  if(NOT line MATCHES "^([0-9A-F]+); ([CFT]); ([0-9A-F ]+);")
    message(FATAL_ERROR "Unreadable line in ${IN}: ${line}")
  endif()
  set(code "${CMAKE_MATCH_1}")
  set(status "${CMAKE_MATCH_2}")
  string(REPLACE " " ";" targets "${CMAKE_MATCH_3}")
  if(status STREQUAL "T")
    string(APPEND turkic "    {0x${code}, 0x${targets}},\n")
  elseif(status STREQUAL "F")
    set(row "")
    foreach(t IN LISTS targets)
      string(APPEND row "0x${t}, ")
    endforeach()
    string(REGEX REPLACE ", $" "" row "${row}")
    list(LENGTH targets n)
    string(APPEND expansions "    {0x${code}, ${n}, {${row}}},\n")
    math(EXPR expansion_count "${expansion_count} + 1")
  else()
    math(EXPR cp "0x${code}")
    math(EXPR delta "0x${targets} - ${cp}")
    set(extends FALSE)
    if(have_run AND delta EQUAL run_delta)
      math(EXPR step "${cp} - ${run_last}")
      if((run_stride EQUAL 0 AND (step EQUAL 1 OR step EQUAL 2)) OR step EQUAL run_stride)
        set(extends TRUE)
        set(run_stride ${step})
        set(run_last ${cp})
      endif()
    endif()
    if(NOT extends)
      flush_run()
      set(have_run TRUE)
      set(run_first ${cp})
      set(run_last ${cp})
      set(run_delta ${delta})
      set(run_stride 0)
    endif()
  endif()
endforeach()
flush_run()

if(run_count LESS 100 OR expansion_count LESS 50 OR turkic STREQUAL "")
  message(FATAL_ERROR "${IN} holds too few foldings (${run_count} runs, ${expansion_count} expansions)")
endif()

set(text "// Generated from CaseFolding-${version}.txt by runtime/tools/case_folding_table.cmake.
// Do not edit: the build writes it again.

constexpr char kUnicodeVersion[] = \"${version}\";

// {first, last, distance to the small form, step}
constexpr FoldRun kFoldRuns[] = {
${runs}};

// {code point, length, folded characters}
constexpr FoldExpansion kFoldExpansions[] = {
${expansions}};

// {code point, folded character} in Turkish and Azeri
constexpr TurkicFold kTurkicFolds[] = {
${turkic}};
")
# Written only when it changes, so that a rerun rebuilds nothing.
set(old "")
if(EXISTS "${OUT}")
  file(READ "${OUT}" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUT}.tmp" "${text}")
  file(RENAME "${OUT}.tmp" "${OUT}")
endif()
