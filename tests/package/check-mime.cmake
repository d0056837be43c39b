# Builds a MIME database of its own (in SCRATCH) from the type file XML with
# update-mime-database (TOOL) and fails unless it maps *.mem to TYPE.
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH}/packages)
file(COPY ${XML} DESTINATION ${SCRATCH}/packages)
execute_process(COMMAND ${TOOL} -V ${SCRATCH} RESULT_VARIABLE status ERROR_VARIABLE log
  OUTPUT_VARIABLE log)
if(NOT status EQUAL 0 OR log MATCHES "[Ww]arning|[Ee]rror")
  message(FATAL_ERROR "update-mime-database: ${status}\n${log}")
endif()
file(STRINGS ${SCRATCH}/globs2 globs)
if(NOT globs MATCHES ":${TYPE}:\\*\\.mem")
  message(FATAL_ERROR "*.mem is not ${TYPE} in the database: ${globs}")
endif()
file(REMOVE_RECURSE ${SCRATCH})
