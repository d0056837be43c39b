# The Debian package: in the build folder, `cpack -G DEB` makes tamrel-emul_<version>_<arch>.deb
# from what cmake/TamrelInstall.cmake installs, under /usr, with the program stripped and its
# library dependencies found by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME tamrel-emul)
set(CPACK_PACKAGE_VENDOR "Tamrel Emul developers")
set(CPACK_PACKAGE_CONTACT "Tamrel Emul developers <maintainers@tamrel.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://tamrel.org/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "teaching emulator of an Intel 8080 single-board trainer")
# Debian shows the description as it is laid out here, line by line.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Tamrel Emul emulates a single-board microprocessor trainer built around a"
  "processor with the Intel 8080 instruction set. A student types 8080 mnemonics"
  "and hexadecimal operands into an entry line; every keystroke is assembled at"
  "once into a memory listing that shows the decoded instructions. The program"
  "then runs step by step or continuously, while the registers, the flags and the"
  "stack pointer are shown beside the listing, and a keypad with address and data"
  "displays imitates the trainer's front panel. Programs are kept in .mem memory"
  "image files."
  "."
  "A guide in Russian and English, which the program opens at start-up, and"
  "example programs in /usr/share/tamrel-emul/examples come with it.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The toolkit's own texts (dialog buttons) in Russian, and a way to open the guide in a browser.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, xdg-utils")

set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git" "/build" "/build-.*/")

include(CPack)
