# Fails when PROGRAM's dynamic dependencies include an OpenGL, GLU or GLUT library.
execute_process(COMMAND ldd ${PROGRAM} OUTPUT_VARIABLE libraries RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "ldd ${PROGRAM} failed")
endif()
if(libraries MATCHES "lib(GL|GLU|GLX|OpenGL|glut)[.-]")
  message(FATAL_ERROR "${PROGRAM} links a GL library:\n${libraries}")
endif()
