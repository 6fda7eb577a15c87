# Copies every mission file that the project already trusts into one flat
# seed directory; run with -DSOURCE_DIR=... -DCORPUS_DIR=...
file(MAKE_DIRECTORY ${CORPUS_DIR})
file(GLOB seeds
  ${SOURCE_DIR}/tests/golden/*.mission
  ${SOURCE_DIR}/examples/*.mission
  ${SOURCE_DIR}/fuzz/seeds/*.mission)
foreach(seed IN LISTS seeds)
  get_filename_component(dir ${seed} DIRECTORY)
  get_filename_component(group ${dir} NAME)
  get_filename_component(name ${seed} NAME)
  configure_file(${seed} ${CORPUS_DIR}/${group}_${name} COPYONLY)
endforeach()
list(LENGTH seeds seed_count)
message(STATUS "fuzz seed corpus: ${seed_count} files in ${CORPUS_DIR}")
