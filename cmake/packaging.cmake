# Installation and Debian packages: `tervo` with the two programs and the
# contract headers, `tervo-standins` with the project's own libraries, so that
# a board with the vendor's libraries installs the programs alone.
include(GNUInstallDirs)

# The stand-ins live in a directory of their own that the programs' run path
# never names, so that a vendor's pair registered with the dynamic loader is
# the one they test; a launcher of the stand-ins' package chooses them.
set(TERVO_STANDIN_LIBDIR ${CMAKE_INSTALL_LIBDIR}/tervo)
set(TERVO_LIBFPRINT_LIBDIR ${CMAKE_INSTALL_LIBDIR}/tervo-libfprint)

install(TARGETS tervo tervo-dlopen tervo-check RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT programs)
install(FILES include/ID_Fpr.h include/ID_FprCap.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT programs)
foreach(lib ID_Fpr ID_FprCap)
  if(TARGET ${lib})
    install(TARGETS ${lib} LIBRARY DESTINATION ${TERVO_STANDIN_LIBDIR} COMPONENT standins)
  endif()
endforeach()
foreach(tool tervo-fpgen tervo-fpshow)
  if(TARGET ${tool})
    install(TARGETS ${tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT standins)
  endif()
endforeach()
# The libfprint reader beside the reference algorithm: a complete pair in a
# folder of its own (standin/libfprint/README.md).
set(package_components programs standins)
if(TARGET ID_FprCap_libfprint)
  list(APPEND package_components libfprint)
  install(TARGETS ID_FprCap_libfprint ID_Fpr LIBRARY DESTINATION ${TERVO_LIBFPRINT_LIBDIR} COMPONENT libfprint)
  install(FILES standin/libfprint/70-tervo-libfprint.rules DESTINATION lib/udev/rules.d COMPONENT libfprint)
endif()

# tervo_launcher(<name> <component> <folder> <package> <what>): a script that
# starts a program on the pair in <folder> (packaging/launcher.sh.in), with its
# manual page, installed by the component that installs that pair.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging/man)
function(tervo_launcher name component folder package what)
  set(LAUNCHER ${name})
  string(TOUPPER ${name} LAUNCHER_UPPER)
  set(FOLDER ${folder})
  set(PACKAGE ${package})
  set(LIBRARIES ${what})
  file(RELATIVE_PATH FOLDER_FROM_BIN /${CMAKE_INSTALL_BINDIR} /${folder})
  configure_file(${PROJECT_SOURCE_DIR}/packaging/launcher.sh.in ${CMAKE_BINARY_DIR}/packaging/${name} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/man/launcher.1.in ${CMAKE_BINARY_DIR}/packaging/man/${name}.1 @ONLY)
  execute_process(COMMAND gzip -n -9 -c ${CMAKE_BINARY_DIR}/packaging/man/${name}.1
                  OUTPUT_FILE ${CMAKE_BINARY_DIR}/packaging/${name}.1.gz)
  install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/${name} DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${component})
  install(FILES ${CMAKE_BINARY_DIR}/packaging/${name}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
          COMPONENT ${component})
endfunction()
if(TARGET ID_Fpr AND TARGET ID_FprCap)
  tervo_launcher(tervo-virtual standins ${TERVO_STANDIN_LIBDIR} tervo-standins
                 "the virtual scanner and the reference algorithm library")
endif()
if(TARGET ID_FprCap_libfprint)
  tervo_launcher(tervo-libfprint libfprint ${TERVO_LIBFPRINT_LIBDIR} tervo-libfprint
                 "the libfprint USB reader library and the reference algorithm library")
endif()

# Each package carries its copyright file and changelog, as Debian asks.
set(changelog_gz ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
execute_process(COMMAND gzip -n -9 -c ${PROJECT_SOURCE_DIR}/packaging/changelog OUTPUT_FILE ${changelog_gz})
foreach(component ${package_components})
  if(component STREQUAL "programs")
    set(package tervo)
  else()
    set(package tervo-${component})
  endif()
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${changelog_gz}
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
endforeach()

# Manual pages, compressed as Debian installs them.
foreach(page tervo:programs tervo-dlopen:programs tervo-check:programs tervo-fpgen:standins
             tervo-fpshow:standins)
  string(REPLACE ":" ";" page ${page})
  list(GET page 0 name)
  list(GET page 1 component)
  set(page_gz ${CMAKE_BINARY_DIR}/packaging/${name}.1.gz)
  execute_process(COMMAND gzip -n -9 -c ${PROJECT_SOURCE_DIR}/packaging/man/${name}.1 OUTPUT_FILE ${page_gz})
  install(FILES ${page_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
endforeach()

if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64)$")
  set(deb_arch arm64)
else()
  set(deb_arch amd64)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tervo)
set(CPACK_PACKAGE_VENDOR "tervo project")
set(CPACK_PACKAGE_CONTACT "tervo maintainers <maintainers@tervo.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "console test tool for a fingerprint capture module and algorithm library")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_COMPONENTS_ALL ${package_components})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${deb_arch})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PROGRAMS_PACKAGE_NAME tervo)
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_DEPENDS "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 12)")
# Suggested only: nothing this package pulls in may stand before a vendor's pair.
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_SUGGESTS tervo-standins)
string(CONCAT CPACK_COMPONENT_PROGRAMS_DESCRIPTION
       "tervo and tervo-dlopen drive the capture library libID_FprCap.so and the\n"
       "algorithm library libID_Fpr.so command by command and print result codes,\n"
       "timings, quality and similarity scores. tervo-check runs a pass/fail\n"
       "compliance check of a pair of such libraries. They test the pair the\n"
       "dynamic loader finds, such as a vendor's registered with ldconfig, and\n"
       "name its files on standard error.")

set(CPACK_DEBIAN_STANDINS_PACKAGE_NAME tervo-standins)
set(CPACK_DEBIAN_STANDINS_PACKAGE_DEPENDS
    "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 12), libjpeg62-turbo (>= 1:1.3.1), libpng16-16 (>= 1.6.2)")
set(CPACK_DEBIAN_STANDINS_PACKAGE_RECOMMENDS tervo)
string(CONCAT CPACK_COMPONENT_STANDINS_DESCRIPTION
       "Stand-ins for libID_FprCap.so and libID_Fpr.so: synthetic fingerprints,\n"
       "quality, minutiae, matching and compression, so that every tervo command\n"
       "runs without the vendor's hardware. Start the virtual scanner with\n"
       "tervo-virtual (tervo-virtual tervo-dlopen for the other program); tervo\n"
       "alone never uses these libraries. tervo-fpgen writes the virtual\n"
       "scanner's prints, tervo-fpshow draws a print with its minutiae.")

set(CPACK_DEBIAN_LIBFPRINT_PACKAGE_NAME tervo-libfprint)
set(CPACK_DEBIAN_LIBFPRINT_PACKAGE_DEPENDS
    "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 12), libfprint-2-2 (>= 1:1.94), libglib2.0-0 (>= 2.68), libjpeg62-turbo (>= 1:1.3.1)")
# No conflict with tervo-standins: each pair has a folder and a launcher of its own.
set(CPACK_DEBIAN_LIBFPRINT_PACKAGE_RECOMMENDS tervo)
string(CONCAT CPACK_COMPONENT_LIBFPRINT_DESCRIPTION
       "libID_FprCap.so on libfprint: tervo captures live fingers from the USB\n"
       "readers whose libfprint drivers deliver images, beside the reference\n"
       "algorithm library; with a udev rule that opens the readers to users.\n"
       "Start tervo on them with tervo-libfprint.")

include(CPack)
