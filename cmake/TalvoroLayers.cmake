# One static library per layer folder of TalvoroApp/, its sources listed in
# the folder's CMakeLists.txt:
#
#   talvoro_layer(<library> [WIDGETS] DEPENDS <libraries below> SOURCES <files>)
#
# A library's own headers are reached as "<folder>/<file>.h" through a folder
# of links under build/layers/<library>/ that holds only them, and a library
# sees the link folders of the libraries it depends on, nothing else: a
# folder that includes a header of one above it (or beside it, unless it
# depends on it) does not build. Without WIDGETS the library cannot use
# Qt Widgets either.

set(TALVORO_SOURCE_ROOT ${CMAKE_SOURCE_DIR}/TalvoroApp)

# Qt's root include folder makes <QtWidgets/...> reachable from any Qt target.
# Every Widgets header includes qtwidgetsglobal.h; this one, found first,
# stops a widget-free library's build instead.
set(TALVORO_NO_WIDGETS_DIR ${CMAKE_BINARY_DIR}/no-widgets)
file(CONFIGURE OUTPUT ${TALVORO_NO_WIDGETS_DIR}/QtWidgets/qtwidgetsglobal.h CONTENT
  "#error \"Qt Widgets is for ui/ folders and app/ only; services and screen rules cannot use it\"\n")
get_target_property(TALVORO_QT_WIDGETS_INCLUDE_DIRS Qt6::Widgets INTERFACE_INCLUDE_DIRECTORIES)
list(FILTER TALVORO_QT_WIDGETS_INCLUDE_DIRS INCLUDE REGEX "/QtWidgets$")

# A header that only widget code includes escapes the compiler check above;
# this reads every include of a widget-free library's files.
function(talvoro_check_no_widgets sources)
  foreach(source ${sources})
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*<")
    foreach(include ${includes})
      string(REGEX REPLACE "^[^<]*<(QtWidgets/)?([^>]+)>.*$" "\\2" header "${include}")
      if(EXISTS ${TALVORO_QT_WIDGETS_INCLUDE_DIRS}/${header})
        message(FATAL_ERROR "${source}: ${include}: Qt Widgets is for ui/ folders and app/ only")
      endif()
    endforeach()
  endforeach()
endfunction()

function(talvoro_layer library)
  cmake_parse_arguments(PARSE_ARGV 1 layer "WIDGETS" "" "DEPENDS;SOURCES")
  list(TRANSFORM layer_SOURCES PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
  add_library(${library} STATIC ${layer_SOURCES})

  set(include_root ${CMAKE_BINARY_DIR}/layers/${library})
  file(REMOVE_RECURSE ${include_root})
  foreach(source ${layer_SOURCES})
    if(source MATCHES "\\.h$")
      file(RELATIVE_PATH header ${TALVORO_SOURCE_ROOT} ${source})
      get_filename_component(header_dir ${include_root}/${header} DIRECTORY)
      file(MAKE_DIRECTORY ${header_dir})
      file(CREATE_LINK ${source} ${include_root}/${header} SYMBOLIC)
    endif()
  endforeach()
  file(MAKE_DIRECTORY ${include_root})
  target_include_directories(${library} PUBLIC ${include_root})
  target_link_libraries(${library} PUBLIC ${layer_DEPENDS})

  if(layer_WIDGETS)
    target_link_libraries(${library} PUBLIC Qt6::Widgets)
  else()
    target_include_directories(${library} BEFORE PRIVATE ${TALVORO_NO_WIDGETS_DIR})
    talvoro_check_no_widgets("${layer_SOURCES}")
  endif()
  set_property(GLOBAL APPEND PROPERTY TALVORO_TEXT_SOURCES ${layer_SOURCES})
endfunction()
