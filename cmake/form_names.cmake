# add_form_names(<target> <description.json>...)
# Makes the header of names of each window description at build time, and
# again whenever the description changes (generate_form_names.cmake), in the
# build tree: "<folder of the description>/<file name>_names.h", e.g.
# "assocman/forms/login_names.h" for assocman/forms/login.json. <target> is
# an interface library: the handler libraries that link it can include the
# headers, and are built after them.
function(add_form_names target)
  set(script ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/generate_form_names.cmake)
  set(root ${PROJECT_BINARY_DIR}/form_names)
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  set(headers)
  foreach(form IN LISTS ARGN)
    get_filename_component(path ${form} ABSOLUTE)
    get_filename_component(stem ${form} NAME_WE)
    set(header ${root}/${folder}/${stem}_names.h)
    add_custom_command(
      OUTPUT ${header}
      COMMAND ${CMAKE_COMMAND} -DFORM=${path} -DHEADER=${header} -DORIGIN=${folder}/${form} -P ${script}
      DEPENDS ${path} ${script}
      COMMENT "Names of ${folder}/${form}"
      VERBATIM)
    list(APPEND headers ${header})
  endforeach()
  add_custom_target(${target}_headers DEPENDS ${headers})
  add_library(${target} INTERFACE)
  target_include_directories(${target} INTERFACE ${root})
  add_dependencies(${target} ${target}_headers)
endfunction()
