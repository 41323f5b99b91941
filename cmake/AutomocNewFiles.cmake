# With Ninja, a target's AUTOMOC step reruns only when a file it saw last
# time changes, so a header added to a globbed source list is never scanned
# and its Q_OBJECT class links without a vtable. When the list of sources
# differs from the previous configure, drop the step's stamp to force a scan.
function(talvoro_rescan_automoc_when_sources_change target sources)
  string(SHA1 digest "${sources}")
  set(record ${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen.sources)
  set(previous "")
  if(EXISTS ${record})
    file(READ ${record} previous)
  endif()
  if(NOT previous STREQUAL digest)
    file(WRITE ${record} ${digest})
    file(REMOVE ${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen/timestamp)
  endif()
endfunction()
