# Configures the project with the client's layers as shared libraries and builds the
# connection and query layers (unoptimised: only the linking matters here).
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${BINARY_DIR} -DSKELDER_LIBRARY_TYPE=SHARED
          -DSKELDER_BUILD_TESTS=OFF -DSKELDER_FUZZ=OFF -DCMAKE_BUILD_TYPE=Debug
          -DCMAKE_CXX_FLAGS=-O0 -DCMAKE_CXX_FLAGS_DEBUG=
  RESULT_VARIABLE configured)
if(NOT configured EQUAL 0)
  message(FATAL_ERROR "configuring with shared layers failed")
endif()
execute_process(
  COMMAND ${CMAKE_COMMAND} --build ${BINARY_DIR} --target skelder_ctlib skelder_query
  RESULT_VARIABLE built)
if(NOT built EQUAL 0)
  message(FATAL_ERROR "the connection or query layer does not link on its own")
endif()
