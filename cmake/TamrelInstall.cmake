# What `cmake --install build` (and so the package) installs, under CMAKE_INSTALL_PREFIX:
#   bin/tamrel-emul                                   the program
#   share/applications/org.tamrel.TamrelEmul.desktop  its desktop entry (opens .mem files)
#   share/metainfo/org.tamrel.TamrelEmul.metainfo.xml what software centres show
#   share/mime/packages/org.tamrel.TamrelEmul.xml     the .mem memory image type
#   share/icons/hicolor/<size>/apps/                  its icon, 16 to 256 pixels and scalable
#   share/doc/tamrel-emul/guide/                      the guide the program opens at start-up
#   share/doc/tamrel-emul/LICENSE, labs.md            the licence, the lab file format
#   share/tamrel-emul/examples/                       the example programs and their labs
# `cmake --install build --strip` strips the program.
set(TAMREL_ID org.tamrel.TamrelEmul)

if(TAMREL_APP)
  install(TARGETS tamrel-emul RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES data/${TAMREL_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES data/${TAMREL_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES data/${TAMREL_ID}.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
  foreach(size 16 32 48 64 128 256)
    install(FILES data/icons/hicolor/${size}x${size}/apps/${TAMREL_ID}.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  install(FILES data/icons/${TAMREL_ID}.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

install(FILES docs/guide/index.html docs/guide/en.html DESTINATION ${CMAKE_INSTALL_DOCDIR}/guide)
install(DIRECTORY docs/guide/img DESTINATION ${CMAKE_INSTALL_DOCDIR}/guide
  FILES_MATCHING PATTERN "*.png")
install(FILES LICENSE docs/labs.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Each example is its memory image, its description and its lab (docs/labs.md);
# examples/expected.txt is the tests'.
file(GLOB TAMREL_EXAMPLES LIST_DIRECTORIES false CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/examples/*.mem)
foreach(mem ${TAMREL_EXAMPLES})
  string(REGEX REPLACE "\\.mem$" ".txt" txt ${mem})
  string(REGEX REPLACE "\\.mem$" ".lab" lab ${mem})
  install(FILES ${mem} ${txt} ${lab} DESTINATION ${CMAKE_INSTALL_DATADIR}/tamrel-emul/examples)
endforeach()
