# Writes the header of names of one window description: the window's name,
# every control and menu-item name and every handler name it binds, each as a
# constant, so that a handler that misspells one does not compile. Run by the
# build (see form_names.cmake) as
#   cmake -DFORM=<description.json> -DHEADER=<header> -DORIGIN=<path shown in messages>
#         -P generate_form_names.cmake
# The header is rewritten only when its text changes, so moving or recolouring
# a control recompiles nothing.

cmake_minimum_required(VERSION 3.25)

foreach(arg FORM HEADER ORIGIN)
  if(NOT DEFINED ${arg})
    message(FATAL_ERROR "generate_form_names.cmake: -D${arg}=... is missing")
  endif()
endforeach()

function(fail why)
  message(FATAL_ERROR "${ORIGIN}: ${why}")
endfunction()

# Every name becomes an identifier as it stands (C++ takes the Chinese ones
# too). What either compiler of the build would refuse is refused here, naming
# the file and the name, rather than left to a puzzling compiler error in the
# header. GCC takes more than Clang does: full-width brackets such as "（",
# for one, which Clang (Unicode's identifier rules) refuses; and GCC 12 with
# -Wpedantic knows the ideographs of Unicode 13 only, up to U+9FFC. So a name
# is kept to what both take: ASCII letters, digits and "_", and the CJK
# Unified Ideographs U+4E00-U+9FFC with Extension A U+3400-U+4DBF, never a
# digit first. Checked before a name joins a list, since a ";" would split it
# there.
#
# CMake's regexes see bytes and its strings have no \x escape, so the
# ideographs are matched as their UTF-8 bytes, made with string(ASCII).
function(utf8_byte out hex)
  math(EXPR code "0x${hex}")
  string(ASCII ${code} byte)
  set(${out} "${byte}" PARENT_SCOPE)
endfunction()
foreach(hex 80 90 B6 B8 BC BE BF E3 E4 E5 E8 E9)
  utf8_byte(x${hex} ${hex})
endforeach()
set(tail "[${x80}-${xBF}]")
set(name_letter
  "[A-Za-z_]"
  "${xE3}[${x90}-${xBF}]${tail}"   # U+3400-U+3FFF
  "${xE4}[${x80}-${xB6}]${tail}"   # U+4000-U+4DBF; then the hexagram symbols
  "${xE4}[${xB8}-${xBF}]${tail}"   # U+4E00-U+4FFF
  "[${xE5}-${xE8}]${tail}${tail}"  # U+5000-U+8FFF
  "${xE9}[${x80}-${xBE}]${tail}"   # U+9000-U+9FBF
  "${xE9}${xBF}[${x80}-${xBC}]")   # U+9FC0-U+9FFC
list(JOIN name_letter "|" name_letter)

function(check_identifier name what)
  if(NOT name MATCHES "^(${name_letter})(${name_letter}|[0-9])*$")
    # What is left once every letter and digit is gone, unless the fault is
    # only an empty name or a digit first.
    string(REGEX REPLACE "${name_letter}|[0-9]" "" refused "${name}")
    if(NOT refused STREQUAL "")
      set(refused ": GCC and Clang do not both take \"${refused}\" in a name")
    endif()
    fail("${what} \"${name}\" cannot serve as a C++ name${refused}")
  endif()
endfunction()

# The value at the JSON path in ARGN; empty (or 0 for a length) when the
# path is not there.
function(json_get out json)
  string(JSON value ERROR_VARIABLE missing GET "${json}" ${ARGN})
  if(missing)
    set(value "")
  endif()
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

function(json_length out json)
  string(JSON n ERROR_VARIABLE missing LENGTH "${json}" ${ARGN})
  if(missing)
    set(n 0)
  endif()
  set(${out} ${n} PARENT_SCOPE)
endfunction()

# A handler "<window>.<what>" is known as handler::<what>; any other handler
# name by its whole text. Dots become underscores either way.
function(handler_identifier out handler)
  string(LENGTH "${window}." prefix_length)
  string(SUBSTRING "${handler}" 0 ${prefix_length} prefix)
  if(prefix STREQUAL "${window}.")
    string(SUBSTRING "${handler}" ${prefix_length} -1 handler)
  endif()
  string(REPLACE "." "_" id "${handler}")
  set(${out} "${id}" PARENT_SCOPE)
endfunction()

# Appends the handler names bound in an "events" object to the list `out`.
function(collect_handlers out events)
  set(found ${${out}})
  json_length(count "${events}")
  if(count GREATER 0)
    math(EXPR last "${count} - 1")
    foreach(i RANGE ${last})
      string(JSON event MEMBER "${events}" ${i})
      string(JSON handler GET "${events}" "${event}")
      handler_identifier(id "${handler}")
      check_identifier("${id}" "the handler \"${handler}\", as")
      list(APPEND found "${handler}")
    endforeach()
  endif()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# A control or menu-item name; the two names the header itself uses are
# taken.
function(collect_name out name)
  check_identifier("${name}" "the control or menu item")
  if(name STREQUAL "window" OR name STREQUAL "handler")
    fail("a control or menu item may not be called \"${name}\"")
  endif()
  set(${out} ${${out}} "${name}" PARENT_SCOPE)
endfunction()

file(READ "${FORM}" json)
string(JSON window ERROR_VARIABLE broken GET "${json}" window)
if(broken)
  fail("no window name: ${broken}")
endif()
check_identifier("${window}" "the window name")

set(handlers)
json_get(events "${json}" events)
collect_handlers(handlers "${events}")

# Menu items come first, as the menu bar is above the controls. An item
# without a name cannot be reached by handlers and has no constant.
set(items)
json_length(menu_count "${json}" menus)
if(menu_count GREATER 0)
  math(EXPR last_menu "${menu_count} - 1")
  foreach(m RANGE ${last_menu})
    json_length(item_count "${json}" menus ${m} items)
    if(item_count GREATER 0)
      math(EXPR last_item "${item_count} - 1")
      foreach(i RANGE ${last_item})
        json_get(name "${json}" menus ${m} items ${i} name)
        if(NOT name STREQUAL "")
          collect_name(items "${name}")
        endif()
        json_get(events "${json}" menus ${m} items ${i} events)
        collect_handlers(handlers "${events}")
      endforeach()
    endif()
  endforeach()
endif()

set(controls)
json_length(control_count "${json}" controls)
if(control_count GREATER 0)
  math(EXPR last_control "${control_count} - 1")
  foreach(c RANGE ${last_control})
    json_get(name "${json}" controls ${c} name)
    collect_name(controls "${name}")
    json_get(events "${json}" controls ${c} events)
    collect_handlers(handlers "${events}")
  endforeach()
endif()

set(text "// Generated at build time from ${ORIGIN}: change the description, not this file.
// The names handlers reach this window by; a name the description lacks does
// not compile.
#pragma once

namespace forms::${window} {

inline constexpr const char* window = \"${window}\";
")

if(items)
  string(APPEND text "\n// Menu items.\n")
  foreach(name IN LISTS items)
    string(APPEND text "inline constexpr const char* ${name} = \"${name}\";\n")
  endforeach()
endif()

if(controls)
  string(APPEND text "\n// Controls, the non-visual units included.\n")
  foreach(name IN LISTS controls)
    string(APPEND text "inline constexpr const char* ${name} = \"${name}\";\n")
  endforeach()
endif()

list(REMOVE_DUPLICATES handlers)
if(handlers)
  string(APPEND text "\n// The handlers the description binds, to be registered under these names.\n")
  string(APPEND text "namespace handler {\n")
  foreach(name IN LISTS handlers)
    handler_identifier(id "${name}")
    string(APPEND text "inline constexpr const char* ${id} = \"${name}\";\n")
  endforeach()
  string(APPEND text "}  // namespace handler\n")
endif()

string(APPEND text "\n}  // namespace forms::${window}\n")

set(old "")
if(EXISTS "${HEADER}")
  file(READ "${HEADER}" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${HEADER}" "${text}")
endif()
