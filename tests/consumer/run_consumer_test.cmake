# Installs the current build into a scratch prefix, checks what was
# installed, then configures, builds and runs tests/consumer against it.
# Variables: BUILD_DIR, SOURCE_DIR, WORK_DIR, GENERATOR, CXX_COMPILER, and
# CXX_FLAGS / LINKER_FLAGS of the build (a sanitizer build needs them again).

file(REMOVE_RECURSE "${WORK_DIR}")
set(prefix "${WORK_DIR}/prefix")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}")

include(GNUInstallDirs)
foreach(f
    bin/zebparser
    share/man/man1/zebparser.1
    include/zebparser/zebparser.h
    share/zebparser/editors/mission.tmLanguage.json
    share/zebparser/editors/nvim/zeb.lua
    share/zebparser/editors/vscode/package.json
    share/zebparser/editors/vscode/extension.js
    share/zebparser/editors/vscode/language-configuration.json
    share/zebparser/editors/vscode/build-vsix)
  if(NOT EXISTS "${prefix}/${f}")
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
# The packed VS Code extension goes with the rest where it was built.
set(vsix editors/zeb-mission.vsix)
if(EXISTS "${BUILD_DIR}/${vsix}" AND NOT EXISTS "${prefix}/share/zebparser/${vsix}")
  message(FATAL_ERROR "${BUILD_DIR}/${vsix} was built but not installed")
endif()
# The public header is the only one: the record and the sinks are private.
file(GLOB_RECURSE headers RELATIVE "${prefix}/include" "${prefix}/include/*")
if(NOT headers STREQUAL "zebparser/zebparser.h")
  message(FATAL_ERROR "installed headers other than zebparser/zebparser.h: ${headers}")
endif()
file(GLOB_RECURSE libs "${prefix}/*/libzebcore.a")
file(GLOB_RECURSE configs "${prefix}/*/cmake/zebparser/zebparserConfig.cmake")
file(GLOB_RECURSE versions "${prefix}/*/cmake/zebparser/zebparserConfigVersion.cmake")
if(NOT libs OR NOT configs OR NOT versions)
  message(FATAL_ERROR "library or package files missing under ${prefix}")
endif()

# No paths of the source or build tree in the package files.
file(GLOB_RECURSE package_files "${prefix}/*/cmake/zebparser/*.cmake")
foreach(f ${package_files})
  file(READ "${f}" content)
  foreach(dir "${SOURCE_DIR}" "${BUILD_DIR}")
    string(FIND "${content}" "${dir}" at)
    if(NOT at EQUAL -1)
      message(FATAL_ERROR "${f} mentions ${dir}")
    endif()
  endforeach()
endforeach()

run(${CMAKE_COMMAND} -S "${SOURCE_DIR}/tests/consumer" -B "${WORK_DIR}/build" -G "${GENERATOR}"
    -DCMAKE_CXX_COMPILER=${CXX_COMPILER} "-DCMAKE_PREFIX_PATH=${prefix}"
    "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${LINKER_FLAGS}")
run(${CMAKE_COMMAND} --build "${WORK_DIR}/build")
run("${WORK_DIR}/build/consumer" "${SOURCE_DIR}/examples/warehouse.mission")
string(FIND "${last_output}" "mission \"Warehouse raid\"" at)
if(at EQUAL -1)
  message(FATAL_ERROR "consumer output lacks the mission header:\n${last_output}")
endif()
run("${prefix}/bin/zebparser" "${SOURCE_DIR}/examples/warehouse.mission")
message(STATUS "installed tree and consumer: ok")
file(REMOVE_RECURSE "${WORK_DIR}")
