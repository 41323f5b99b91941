# Run at every build (cmake -P): writes OUTPUT, a header that defines
# TALVORO_BUILD_NUMBER as BUILD_NUMBER when one is given (a packager's), else
# as the number of commits in SOURCE_DIR's git history. Without git or
# outside a checkout (a source tarball) it defines nothing and the version
# shows "—". The file is rewritten only when its text changes, so an
# unchanged number recompiles nothing.
set(number "${BUILD_NUMBER}")
if(NOT number)
  find_program(git_program git)
  if(git_program)
    execute_process(COMMAND ${git_program} rev-list --count HEAD
      WORKING_DIRECTORY "${SOURCE_DIR}"
      RESULT_VARIABLE result OUTPUT_VARIABLE number ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT result EQUAL 0)
      set(number "")
    endif()
  endif()
endif()
if(number MATCHES "^[0-9A-Za-z._+-]+$")
  set(content "#define TALVORO_BUILD_NUMBER \"${number}\"\n")
else()
  set(content "// No build number: neither given nor read from git.\n")
endif()
file(CONFIGURE OUTPUT "${OUTPUT}" CONTENT "${content}")
