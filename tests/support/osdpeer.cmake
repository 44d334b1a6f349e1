# OpenSubdiv as the peer: the library facetry_osdpeer (support/osdpeer.h,
# and the random creases of support/creasetags.h),
# made once by whichever of tests/ and bench/ includes this first, and only
# when OpenSubdiv is installed (libosd-dev; scripts/deps.sh installs it).
# Debian's OpenSubdiv package ships a CMake config that names static
# libraries it does not install, so the headers and the CPU library are
# found directly.
if(NOT TARGET facetry_osdpeer)
  find_path(OPENSUBDIV_INCLUDE_DIR opensubdiv/far/topologyRefinerFactory.h)
  find_library(OPENSUBDIV_CPU_LIBRARY NAMES osdCPU)
  if(OPENSUBDIV_INCLUDE_DIR AND OPENSUBDIV_CPU_LIBRARY)
    add_library(facetry_osdpeer STATIC ${CMAKE_CURRENT_LIST_DIR}/osdpeer.cpp ${CMAKE_CURRENT_LIST_DIR}/creasetags.cpp)
    target_include_directories(facetry_osdpeer PUBLIC ${CMAKE_CURRENT_LIST_DIR}/.. ${OPENSUBDIV_INCLUDE_DIR})
    target_link_libraries(facetry_osdpeer PUBLIC facetry ${OPENSUBDIV_CPU_LIBRARY})
  endif()
endif()
