# Installing the library: `cmake --install` puts libfacetry (static unless
# BUILD_SHARED_LIBS), its headers under include/facetry/, a CMake package
# (find_package(Facetry) gives Facetry::facetry) and facetry.pc for
# pkg-config. The headers are installed by the folders that hold them.
include(CMakePackageConfigHelpers)

install(TARGETS facetry EXPORT FacetryTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(FACETRY_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Facetry)
install(EXPORT FacetryTargets NAMESPACE Facetry:: DESTINATION ${FACETRY_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/FacetryConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/FacetryConfig.cmake INSTALL_DESTINATION ${FACETRY_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/FacetryConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/FacetryConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/FacetryConfigVersion.cmake
  DESTINATION ${FACETRY_CMAKE_DIR})

# A static library takes what it uses along to every program it goes into; a
# shared one only to programs linked statically.
if(BUILD_SHARED_LIBS)
  set(FACETRY_PC_REQUIRES "Requires.private: tinyobjloader")
  set(FACETRY_PC_LIBS "-L\${libdir} -lfacetry\nLibs.private: -pthread")
else()
  set(FACETRY_PC_REQUIRES "Requires: tinyobjloader")
  set(FACETRY_PC_LIBS "-L\${libdir} -lfacetry -pthread")
endif()
# The prefix is found from the .pc file's own place, so that the installed
# tree can be moved (or installed with --prefix) and still be found.
file(RELATIVE_PATH FACETRY_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" FACETRY_PC_TO_PREFIX "${FACETRY_PC_TO_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/facetry.pc.in ${CMAKE_CURRENT_BINARY_DIR}/facetry.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/facetry.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
