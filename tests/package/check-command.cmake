# Runs PROGRAM with ARGS ("," between arguments) as it would run over SSH: no display of any
# kind. Fails unless its exit status is STATUS and its standard output and standard error
# match the regular expressions OUT and ERR ("^$" for nothing at all).
foreach(var DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM XDG_SESSION_TYPE)
  unset(ENV{${var}})
endforeach()
string(REPLACE "," ";" args "${ARGS}")
execute_process(COMMAND ${PROGRAM} ${args}
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 30)
set(report "tamrel-emul ${args}\n-- status: ${status}\n-- stdout:\n${out}\n-- stderr:\n${err}")
if(NOT status STREQUAL STATUS)
  message(FATAL_ERROR "exit status ${status}, not ${STATUS}\n${report}")
endif()
if(NOT out MATCHES "${OUT}")
  message(FATAL_ERROR "standard output does not match '${OUT}'\n${report}")
endif()
if(NOT err MATCHES "${ERR}")
  message(FATAL_ERROR "standard error does not match '${ERR}'\n${report}")
endif()
