# Gathers the page into OUT beside the compiled core: the page's files, the title picture,
# the icons, the guide and the example labs; then writes the service worker with the list of
# every file and a version made of their contents, so that any change of any file makes a new
# version.
file(COPY ${SOURCE}/web/page/ DESTINATION ${OUT})
file(COPY ${SOURCE}/app/resources/title.jpg DESTINATION ${OUT})
file(MAKE_DIRECTORY ${OUT}/icons)
foreach(size 48 128 256)
  file(COPY_FILE ${SOURCE}/data/icons/hicolor/${size}x${size}/apps/org.tamrel.TamrelEmul.png
    ${OUT}/icons/tamrel-${size}.png ONLY_IF_DIFFERENT)
endforeach()
file(COPY_FILE ${SOURCE}/data/icons/org.tamrel.TamrelEmul.svg ${OUT}/icons/tamrel.svg ONLY_IF_DIFFERENT)
file(COPY ${SOURCE}/docs/guide DESTINATION ${OUT})
# The example labs, for a link such as index.html?lab=labs/countdown.lab.
file(GLOB labs ${SOURCE}/examples/*.lab)
file(COPY ${labs} DESTINATION ${OUT}/labs)

file(GLOB_RECURSE files RELATIVE ${OUT} ${OUT}/*)
list(REMOVE_ITEM files sw.js)
list(SORT files)
set(list "'./'")
set(sums "")
foreach(f ${files})
  string(APPEND list ",\n  '${f}'")
  file(SHA256 ${OUT}/${f} sum)
  string(APPEND sums "${f} ${sum}\n")
endforeach()
string(SHA256 version "${sums}")
string(SUBSTRING ${version} 0 12 TAMREL_WEB_VERSION)
set(TAMREL_WEB_FILES "\n  ${list},\n")
configure_file(${SOURCE}/web/sw.js.in ${OUT}/sw.js @ONLY)
