# Installs the build in BUILD_DIR into a fresh prefix under WORK_DIR, then
# builds examples/consumer against it with CMake and with pkg-config; both
# must write the surface facetry-refine (REFINE) writes, byte for byte, and
# the example that lists the current level's points must count its points.
include(${CMAKE_CURRENT_LIST_DIR}/run.cmake)
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# The public headers and nothing else: the surface's engine, the rules, the
# drawing and the programs stay inside.
set(public
  math/check.h math/status.h math/vector.h
  mesh/filewriting.h mesh/handles.h mesh/mesh.h mesh/mesharrays.h mesh/meshelements.h mesh/meshfile.h
  mesh/meshtopology.h mesh/meshwriter.h mesh/mrvertexhost.h mesh/TopFace.h mesh/topedge.h mesh/topvertex.h
  mr/memory.h mr/surface.h
  rules/options.h)
file(GLOB_RECURSE installed RELATIVE ${prefix}/include/facetry ${prefix}/include/facetry/*)
list(SORT installed)
list(SORT public)
if(NOT installed STREQUAL public)
  message(FATAL_ERROR "installed headers: ${installed}\nexpected: ${public}")
endif()
# Each public header stands on its own: it compiles alone against the prefix.
foreach(header ${public})
  file(WRITE ${WORK_DIR}/alone.cpp "#include <facetry/${header}>\nint main() {}\n")
  run(${CXX} -std=c++17 -fsyntax-only -I${prefix}/include -I${prefix}/include/facetry ${WORK_DIR}/alone.cpp)
endforeach()
file(GLOB_RECURSE exported ${prefix}/*/cmake/Facetry/FacetryTargets*.cmake)
if(NOT exported)
  message(FATAL_ERROR "no FacetryTargets.cmake installed")
endif()
foreach(file ${exported})
  file(READ ${file} text)
  if(text MATCHES "OpenGL|GLUT|GLU|libGL")
    message(FATAL_ERROR "the exported link interface names a GL library: ${file}")
  endif()
endforeach()

set(input ${SOURCE_DIR}/examples/antiprism.mesh)
run(${REFINE} ${input} --level 2 --output ${WORK_DIR}/expected.obj)

# find_package(Facetry) and Facetry::facetry
run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/examples/consumer -B ${WORK_DIR}/build -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_CXX_COMPILER=${CXX} "-DCMAKE_CXX_FLAGS=${FLAGS}" -DCMAKE_BUILD_TYPE=Release)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run(${WORK_DIR}/build/refine-to-obj ${input} 2 ${WORK_DIR}/cmake.obj)
expect_same_file(${WORK_DIR}/expected.obj ${WORK_DIR}/cmake.obj)

# The README's way to the current level's points: as many, and the same, as
# facetry-refine writes.
execute_process(COMMAND ${WORK_DIR}/build/current-points ${input} 2 OUTPUT_VARIABLE listed RESULT_VARIABLE status)
file(STRINGS ${WORK_DIR}/expected.obj points REGEX "^v ")
file(STRINGS ${WORK_DIR}/expected.obj quads REGEX "^f ")
list(LENGTH points pointCount)
list(LENGTH quads quadCount)
string(REGEX MATCH "^[^\n]*" first "${listed}")
string(REGEX MATCHALL "\n" lines "${listed}")
list(LENGTH lines lineCount)
math(EXPR expectedLines "${pointCount} + 1")
if(NOT status EQUAL 0 OR NOT first STREQUAL "${pointCount} points, ${quadCount} quads" OR NOT lineCount EQUAL expectedLines)
  message(FATAL_ERROR "current-points: status ${status}, '${first}' and ${lineCount} lines for expected.obj's ${pointCount} points and ${quadCount} quads")
endif()

# pkg-config --cflags --libs facetry
file(GLOB_RECURSE pc ${prefix}/*/pkgconfig/facetry.pc)
get_filename_component(pcdir "${pc}" DIRECTORY)
set(ENV{PKG_CONFIG_PATH} ${pcdir})
execute_process(COMMAND pkg-config --cflags --libs facetry OUTPUT_VARIABLE flags RESULT_VARIABLE status
                OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT status EQUAL 0 OR flags MATCHES "GL|glut")
  message(FATAL_ERROR "pkg-config --cflags --libs facetry: ${status} '${flags}'")
endif()
separate_arguments(flags UNIX_COMMAND "${flags}")
separate_arguments(extra UNIX_COMMAND "${FLAGS}")
run(${CXX} -std=c++17 ${extra} ${SOURCE_DIR}/examples/consumer/main.cpp ${flags} -o ${WORK_DIR}/pc-consumer)
run(${WORK_DIR}/pc-consumer ${input} 2 ${WORK_DIR}/pkgconfig.obj)
expect_same_file(${WORK_DIR}/expected.obj ${WORK_DIR}/pkgconfig.obj)
