# Installs the build in BUILD_DIR into a fresh prefix under WORK_DIR and uses
# the package from there alone (PYTHONPATH set to its site-packages, run
# outside the build and source trees): it imports from the prefix and
# refines the example cube to level 2.
include(${SOURCE_DIR}/tests/package/run.cmake)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
set(site ${prefix}/${SITE})
if(NOT EXISTS ${site}/facetry/__init__.py)
  message(FATAL_ERROR "facetry is not installed in ${site}")
endif()
file(GLOB module ${site}/facetry/_facetry*.so)
if(NOT module)
  message(FATAL_ERROR "the compiled module is not installed in ${site}/facetry")
endif()
set(script "import facetry, sys
assert facetry.__file__ == '${site}/facetry/__init__.py', facetry.__file__
points, quads = facetry.refine('${SOURCE_DIR}/examples/cube.mesh', 2)
assert points.shape == (98, 3) and quads.shape == (96, 4), (points.shape, quads.shape)
print('ok')
")
execute_process(COMMAND ${CMAKE_COMMAND} -E env PYTHONPATH=${site} ${PYTHON} -c "${script}"
  WORKING_DIRECTORY ${WORK_DIR} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT out STREQUAL "ok\n")
  message(FATAL_ERROR "the installed package: status ${status}\n${out}\n${err}")
endif()
