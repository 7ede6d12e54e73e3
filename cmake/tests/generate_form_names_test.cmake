# Runs generate_form_names.cmake on a one-control description per row:
#   cmake -DGENERATOR=<generate_form_names.cmake> -DWORK=<scratch folder> -P <this file>
# A refused name must fail the run with a message naming the file and the
# name; the accepted one holds the first and the last letter of each range.
set(refused
  "按钮（一）"  # full-width brackets: GCC takes them, Clang does not
  "按钮、一"    # CJK punctuation
  "按钮　一"    # an ideographic space, whitespace to Clang
  "䷀卦"        # U+4DC0, just past Extension A: a symbol, no letter
  "鿽"          # U+9FFD, a letter since Unicode 14, which GCC 12 does not know
  "按钮-一"
  "1按钮")
set(accepted "㐀䶿一鿼_Az09")

file(MAKE_DIRECTORY "${WORK}")
foreach(name IN LISTS refused accepted)
  file(WRITE "${WORK}/w.json" "{\"window\": \"w\", \"controls\": [{\"name\": \"${name}\"}]}")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -DFORM=${WORK}/w.json -DHEADER=${WORK}/w_names.h -DORIGIN=forms/w.json -P ${GENERATOR}
    RESULT_VARIABLE result ERROR_VARIABLE error)
  string(REGEX REPLACE "[ \n]+" " " error "${error}")  # CMake wraps its messages
  string(FIND "${error}" "forms/w.json: the control or menu item \"${name}\" cannot serve as a C++ name" at)
  if(name STREQUAL "${accepted}")
    if(NOT result EQUAL 0)
      message(SEND_ERROR "\"${name}\" was refused:\n${error}")
    endif()
  elseif(result EQUAL 0 OR at EQUAL -1)
    message(SEND_ERROR "\"${name}\" was not refused as it should be:\n${error}")
  endif()
endforeach()
