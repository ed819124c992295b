# Fails when a source file includes a header from a folder its layer may
# not use, so that every dependency points one way. From the bottom: text
# primitives; platform/, what the core needs of the system behind small
# interfaces; output/, the program's records and the writers; the dialog
# and menu readers, which know nothing of each other; port/ (the port
# mode, which shares only text/ and platform/ with them); driver/, the
# scan and the command line, which wires everything. linux/ holds the
# stand-ins for Windows beside the core: they implement its interfaces and
# nothing of the core includes them but driver/.
#
# Usage: cmake -DSOURCE_DIR=path/to/src -P check_layers.cmake
cmake_minimum_required(VERSION 3.25)

set(allowed_text text)
set(allowed_platform text platform)
set(allowed_linux text platform linux)
set(allowed_output text platform output)
set(allowed_dialog text platform output dialog)
set(allowed_menu text platform output menu)
# Port mode, in layers of its own: the table of Windows languages, which
# uses nothing else; the model; the reader that fills it; the
# script's pictures, read and checked; the
# one description of the widgets; the FreeBASIC literals and the table of
# what each toolkit spells its own way in a program; the GTK+ 2 choices
# every back end shares, and the GTK 3 ones; the back ends (the FreeBASIC
# printer, live preview, report page).
set(allowed_port/languages port/languages)
set(port_base text platform port/languages port/model)
set(allowed_port/model ${port_base})
set(allowed_port/reader ${port_base} port/reader)
set(allowed_port/pictures ${port_base} port/pictures)
set(port_base ${port_base} port/pictures)
set(allowed_port/widgets ${port_base} port/widgets)
set(allowed_port/program ${port_base} port/widgets port/program)
set(allowed_port/gtk2 ${port_base} port/widgets port/program port/gtk2)
set(allowed_port/gtk3 ${port_base} port/widgets port/program port/gtk3)
set(port_back_end ${port_base} port/widgets port/gtk2)
set(allowed_port/writer ${port_back_end} port/program port/gtk3 port/writer)
set(allowed_port/preview ${port_back_end} port/preview)
set(allowed_port/report ${port_back_end} port/report)
set(port_all port/languages port/model port/reader port/pictures port/widgets port/program port/gtk2 port/gtk3
    port/writer port/preview port/report)
set(allowed_driver text platform linux output dialog menu ${port_all} driver)

file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}"
     "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
set(problems 0)
foreach(source IN LISTS sources)
  # A port/ file's layer is its subfolder.
  string(REGEX MATCH "^(port/[^/]+|[^/]+)" folder "${source}")
  if(NOT DEFINED allowed_${folder})
    message(SEND_ERROR "${source}: folder '${folder}' has no layer; add it "
                       "to tests/check_layers.cmake")
    math(EXPR problems "${problems} + 1")
    continue()
  endif()
  file(STRINGS "${SOURCE_DIR}/${source}" includes
       REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1"
                         header "${line}")
    string(REGEX MATCH "^(port/[^/]+|[^/]+)" target "${header}")
    if(NOT header MATCHES "/" OR NOT target IN_LIST allowed_${folder})
      message(SEND_ERROR "${source}: includes \"${header}\", which the "
                         "${folder}/ layer may not use")
      math(EXPR problems "${problems} + 1")
    endif()
  endforeach()
endforeach()
if(problems GREATER 0)
  message(FATAL_ERROR "${problems} include(s) against the layering")
endif()
list(LENGTH sources count)
message(STATUS "layering: ${count} files include only downwards")
