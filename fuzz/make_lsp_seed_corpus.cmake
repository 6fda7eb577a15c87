# The language server target's seeds: the hand-made sessions of
# fuzz/seeds/lsp/, and every mission the other targets start from, each as
# the first document of a scripted session (the five bytes before it choose
# the script's mode, see lsp_scripted_session.h). Run with -DSOURCE_DIR=...
# -DCORPUS_DIR=...; the missions keep their bytes (CRLF too), so they are
# joined by `cmake -E cat`, not read as text.
file(MAKE_DIRECTORY ${CORPUS_DIR})
file(GLOB sessions ${SOURCE_DIR}/fuzz/seeds/lsp/*.lsp ${SOURCE_DIR}/fuzz/seeds/lsp/*.bin)
foreach(session IN LISTS sessions)
  get_filename_component(name ${session} NAME)
  configure_file(${session} ${CORPUS_DIR}/${name} COPYONLY)
endforeach()
set(prefix ${CORPUS_DIR}/../lsp_script_prefix)
file(WRITE ${prefix} "@zeb!")
file(GLOB missions
  ${SOURCE_DIR}/tests/golden/*.mission
  ${SOURCE_DIR}/examples/*.mission
  ${SOURCE_DIR}/fuzz/seeds/*.mission)
foreach(mission IN LISTS missions)
  get_filename_component(dir ${mission} DIRECTORY)
  get_filename_component(group ${dir} NAME)
  get_filename_component(name ${mission} NAME)
  execute_process(COMMAND ${CMAKE_COMMAND} -E cat ${prefix} ${mission}
    OUTPUT_FILE ${CORPUS_DIR}/script_${group}_${name} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "could not write the seed for ${mission}")
  endif()
endforeach()
list(LENGTH sessions session_count)
list(LENGTH missions mission_count)
message(STATUS "lsp fuzz seed corpus: ${session_count} sessions and ${mission_count} missions in ${CORPUS_DIR}")
