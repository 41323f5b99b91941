# cmake -DMODE=update|check ... -P TalvoroTexts.cmake
#
# lupdate takes the context of tr() from the enclosing class, so an alias of
# localized() would file every caption under its class; the application looks
# them all up in the one context "Talvoro". lupdate therefore reads copies of
# the sources in which each localized("…") reads
# QT_TRANSLATE_NOOP("Talvoro", "…").
#
# update: SOURCES_FILE (one path a line), TS_FILE, WORK_DIR, LUPDATE
#   brings TS_FILE in line with the captions of those sources.
# check:  SOURCES_FILE, TS_DIR, WORK_DIR, LUPDATE, LCONVERT
#   fails unless every caption of those sources has a finished translation in
#   one of the TS_DIR/*_en.ts files.

cmake_minimum_required(VERSION 3.25)

function(copy_marked_sources sources_file work_dir out_list)
    file(REMOVE_RECURSE ${work_dir}/sources)
    file(STRINGS ${sources_file} sources)
    set(copies "")
    foreach(source ${sources})
        file(READ ${source} text)
        string(REGEX REPLACE "localized\\(([ \t\r\n]*\")" "QT_TRANSLATE_NOOP(\"Talvoro\", \\1" text "${text}")
        string(MD5 name ${source})
        get_filename_component(extension ${source} LAST_EXT)
        set(copy ${work_dir}/sources/${name}${extension})
        file(WRITE ${copy} "${text}")
        list(APPEND copies ${copy})
    endforeach()
    list(JOIN copies "\n" listing)
    file(WRITE ${work_dir}/sources.lst "${listing}\n")
    set(${out_list} ${work_dir}/sources.lst PARENT_SCOPE)
endfunction()

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${ARGN}\n${output}")
    endif()
endfunction()

copy_marked_sources(${SOURCES_FILE} ${WORK_DIR} listing)

if(MODE STREQUAL "update")
    run(${LUPDATE} -silent -locations none @${listing} -ts ${TS_FILE})
elseif(MODE STREQUAL "check")
    set(all ${WORK_DIR}/all_en.ts)
    file(GLOB ts_files ${TS_DIR}/*_en.ts)
    set(inputs "")
    foreach(ts ${ts_files})
        list(APPEND inputs -i ${ts})
    endforeach()
    run(${LCONVERT} ${inputs} -o ${all})
    run(${LUPDATE} -silent -locations none -no-obsolete @${listing} -ts ${all})
    file(READ ${all} merged)
    string(REGEX MATCHALL "<source>[^<]*</source>[ \t\r\n]*<translation type=\"unfinished\"" missing "${merged}")
    if(missing)
        list(TRANSFORM missing REPLACE "<source>([^<]*)</source>.*" "  \\1")
        list(JOIN missing "\n" names)
        message(FATAL_ERROR "Captions without a finished English translation:\n${names}")
    endif()
else()
    message(FATAL_ERROR "MODE must be update or check")
endif()
