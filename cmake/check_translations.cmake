# Runs lupdate over the sources into a copy of the translation file and fails when a text has
# no translation: a new window text must come with its English.
# -DLUPDATE=... -DSOURCE_DIR=... -DTS=... -DWORK=...
include(${CMAKE_CURRENT_LIST_DIR}/lupdate_options.cmake)
file(MAKE_DIRECTORY ${WORK})
get_filename_component(name ${TS} NAME)
file(COPY_FILE ${TS} ${WORK}/${name})
execute_process(COMMAND ${LUPDATE} ${QUILLMARK_LUPDATE_OPTIONS} ${SOURCE_DIR}/src -ts ${WORK}/${name}
  RESULT_VARIABLE failed OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(failed)
  message(FATAL_ERROR "lupdate failed: ${out}")
endif()
file(READ ${WORK}/${name} ts)
string(REGEX MATCHALL "<source>[^<]*</source>[ \n\r\t]*<translation type=\"unfinished\"" unfinished "${ts}")
list(LENGTH unfinished count)
if(count GREATER 0)
  string(REGEX REPLACE "<translation type=\"unfinished\"" "" listed "${unfinished}")
  message(FATAL_ERROR "${count} texts without an English translation (make translations, then translate them):\n${listed}")
endif()
message(STATUS "every text has its English translation")
