# Configures the project in WORK_DIR as on a machine without GLUT and
# without pybind11, builds the library shared and facetry-refine, and checks
# that the viewer and the Python module alone are left out, that the
# configure output says so once for each, and that facetry-refine links no
# GL library and refines.
include(${CMAKE_CURRENT_LIST_DIR}/run.cmake)
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR} -DCMAKE_DISABLE_FIND_PACKAGE_GLUT=ON
    -DCMAKE_DISABLE_FIND_PACKAGE_pybind11=ON
    -DBUILD_SHARED_LIBS=ON -DFACETRY_TESTS=OFF -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-g0
    -DCMAKE_CXX_COMPILER=${CXX}
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "configure without GLUT failed:\n${out}\n${err}")
endif()
foreach(left "the viewer" "the Python module")
  string(REGEX MATCHALL "building everything but ${left}" said "${out}${err}")
  list(LENGTH said times)
  if(NOT times EQUAL 1)
    message(FATAL_ERROR "the configure output says ${times} times that ${left} is left out:\n${out}\n${err}")
  endif()
endforeach()

cmake_host_system_information(RESULT cores QUERY NUMBER_OF_LOGICAL_CORES)
run(${CMAKE_COMMAND} --build ${WORK_DIR} -j ${cores})
if(EXISTS ${WORK_DIR}/src/app/facetry)
  message(FATAL_ERROR "the viewer was built without GLUT")
endif()
file(GLOB module ${WORK_DIR}/python/facetry/_facetry*)
if(module)
  message(FATAL_ERROR "the Python module was built without pybind11: ${module}")
endif()
set(refine ${WORK_DIR}/src/app/facetry-refine)
execute_process(COMMAND ldd ${refine} OUTPUT_VARIABLE libraries)
if(NOT libraries MATCHES "libfacetry\\.so" OR libraries MATCHES "lib(GL|GLU|GLX|OpenGL|glut)[.-]")
  message(FATAL_ERROR "facetry-refine should link the shared libfacetry and no GL library:\n${libraries}")
endif()
execute_process(COMMAND ${refine} ${SOURCE_DIR}/examples/cube.mesh --level 2 RESULT_VARIABLE status OUTPUT_VARIABLE out)
if(NOT status EQUAL 0 OR NOT out STREQUAL "Not subdividing original mesh -- all quads\n")
  message(FATAL_ERROR "facetry-refine: status ${status}, output '${out}'")
endif()
