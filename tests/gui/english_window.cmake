# The English window shows no Chinese of its own: every page and dialog the screenshot walk
# opens, on a fresh copy of the program folder with the sample marked and saved as `make demo` does.
# -DBIN=<folder of the programs> -DWORK=<scratch folder> -DSOURCE=<programfolder source>
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CMAKE_COMMAND} -DSRC=${SOURCE} -DDST=${WORK}/folder -P ${CMAKE_CURRENT_LIST_DIR}/../../cmake/lay_program_folder.cmake
  COMMAND_ERROR_IS_FATAL ANY)
set(ENV{QUILLMARK_HOME} ${WORK}/folder)
execute_process(COMMAND ${BIN}/quillmark-cli mark --paper 示例试卷.CHO --roster 示例名册.TXT --on-unknown-type skip
    --on-unknown-number add --save 示例成绩 --overwrite ${WORK}/folder/sample
  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
set(ENV{QT_QPA_PLATFORM} offscreen)
execute_process(COMMAND ${BIN}/screenshots ${WORK}/folder ${WORK}/pictures --language en --untranslated
  RESULT_VARIABLE failed OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(failed)
  message(FATAL_ERROR "${out}\n${err}")
endif()
