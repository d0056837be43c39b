# The core is built as one static library per folder, each built on the ones named after it:
#   machine                        nothing
#   listing                        machine
#   core                           listing
#   edit, interpreter, files       core (side by side: none sees another)
#   panel                          interpreter and edit
#   lab                            panel and files
# Each library sees the headers of its own folders and of the layers below it, and nothing
# else: an #include of a folder above fails to compile instead of quietly tying the layers
# into a knot. The visible folders are links in a directory of the build tree per layer.
function(tamrel_layer name)
  cmake_parse_arguments(L "" "" "FOLDERS;SOURCES;BELOW" ${ARGN})
  set(view ${PROJECT_BINARY_DIR}/layers/${name})
  file(REMOVE_RECURSE ${view})
  file(MAKE_DIRECTORY ${view})
  foreach(folder ${L_FOLDERS})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${view}/${folder} SYMBOLIC)
  endforeach()
  add_library(${name} STATIC ${L_SOURCES})
  target_include_directories(${name} PUBLIC ${view})
  target_link_libraries(${name} PUBLIC ${L_BELOW})
  target_compile_options(${name} PRIVATE ${TAMREL_WARNINGS})
endfunction()
