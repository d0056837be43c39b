# What a program needs on Windows: a manifest that makes UTF-8 its code page, so that file
# names (on the command line, in the narrow calls of the C and C++ libraries) arrive as the
# UTF-8 the core expects instead of in the system's ANSI code page. Nothing elsewhere.
if(WIN32)
  enable_language(RC)
endif()
function(tamrel_windows_program target)
  if(WIN32)
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/windows/utf8.rc)
  endif()
endfunction()
