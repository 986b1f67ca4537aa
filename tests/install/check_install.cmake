# The program installed with `cmake --install` into a scratch DESTDIR and run
# from there: its version, a fits-info of a demo image, the GUI's help
# self-test offscreen, and the desktop entry and AppStream metainfo validated.
#   cmake -DBUILD_DIR=build -DROOT=scratch -DVERSION=1.330 -P check_install.cmake
cmake_minimum_required(VERSION 3.25)

function(fail what)
  message(SEND_ERROR "FAILED: ${what}")
endfunction()

# Runs a command; `prefix`_rc, _out and _err are set in the caller.
macro(run prefix)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE ${prefix}_rc OUTPUT_VARIABLE ${prefix}_out ERROR_VARIABLE ${prefix}_err)
endmacro()

cmake_path(ABSOLUTE_PATH BUILD_DIR NORMALIZE)
cmake_path(ABSOLUTE_PATH ROOT NORMALIZE)
file(REMOVE_RECURSE ${ROOT})
run(install ${CMAKE_COMMAND} -E env DESTDIR=${ROOT} ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr)
if(NOT install_rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${install_rc}):\n${install_out}${install_err}")
endif()
set(usr ${ROOT}/usr)
set(data ${usr}/share/skarvel)

# ---- what lands where
set(expected
  bin/skarvel bin/skarvel-cli
  share/skarvel/TOOLSHLP.LST share/skarvel/VORNHELP.HLP
  share/skarvel/demo/ASTROPTS.INI share/skarvel/demo/ASTSITES.DAT share/skarvel/demo/ASTCAMS.DAT
  share/skarvel/demo/images/EROS001.FIT share/skarvel/demo/images/EROS004.FIT
  share/skarvel/demo/orbits/MPCORB.CMO share/skarvel/demo/catalog/gsc_vorn/TABLES/REGIONS.BIN
  share/applications/org.skarvel.Skarvel.desktop share/metainfo/org.skarvel.Skarvel.metainfo.xml
  share/icons/hicolor/scalable/apps/org.skarvel.Skarvel.svg
  share/man/man1/skarvel.1.gz share/man/man1/skarvel-cli.1.gz
  share/doc/skarvel/copyright share/doc/skarvel/changelog.gz)
foreach(size IN ITEMS 16 32 48 64 128 256)
  list(APPEND expected share/icons/hicolor/${size}x${size}/apps/org.skarvel.Skarvel.png)
endforeach()
foreach(f IN LISTS expected)
  if(NOT EXISTS ${usr}/${f})
    fail("not installed: /usr/${f}")
  endif()
endforeach()
if(EXISTS ${data}/demo/source)
  fail("the demo's generator sources are installed")
endif()
# An icon of each size is that size (PNG header: width and height at bytes 16 and 20).
foreach(size IN ITEMS 16 32 48 64 128 256)
  file(READ ${usr}/share/icons/hicolor/${size}x${size}/apps/org.skarvel.Skarvel.png head LIMIT 24 HEX)
  string(SUBSTRING "${head}" 32 16 dims)
  math(EXPR w "${size}" OUTPUT_FORMAT HEXADECIMAL)
  string(REPLACE "0x" "" hex "${w}")
  string(LENGTH "${hex}" len)
  math(EXPR pad "8 - ${len}")
  string(REPEAT "0" ${pad} zeros)
  if(NOT dims STREQUAL "${zeros}${hex}${zeros}${hex}")
    fail("icon ${size}x${size} has the header ${dims}")
  endif()
endforeach()

# ---- the command-line program, run from the DESTDIR
run(version ${usr}/bin/skarvel-cli --version)
if(NOT version_rc EQUAL 0 OR NOT version_out STREQUAL "skarvel-cli ${VERSION}\n")
  fail("skarvel-cli --version: ${version_rc} '${version_out}' ${version_err}")
endif()
run(datadir ${usr}/bin/skarvel-cli --data-dir)
if(NOT datadir_out STREQUAL "${data}/\n")
  fail("skarvel-cli --data-dir: '${datadir_out}', expected '${data}/'")
endif()
run(info ${usr}/bin/skarvel-cli fits-info ${data}/demo/images/EROS001.FIT)
if(NOT info_rc EQUAL 0)
  fail("installed fits-info: ${info_rc} ${info_err}")
else()
  # The demo images are 768 x 512 pixels of 16 bits.
  string(JSON width GET "${info_out}" width)
  string(JSON height GET "${info_out}" height)
  string(JSON bitpix GET "${info_out}" bitpix)
  if(NOT width EQUAL 768 OR NOT height EQUAL 512 OR NOT bitpix EQUAL 16)
    fail("installed fits-info: ${width} x ${height}, BITPIX ${bitpix}")
  endif()
  # The same numbers as the build tree's program on the demo in the sources.
  run(built ${BUILD_DIR}/src/skarvel-cli fits-info ${SOURCE_DIR}/data/demo/images/EROS001.FIT)
  if(NOT built_out STREQUAL info_out)
    fail("installed and built fits-info differ:\n${info_out}\n${built_out}")
  endif()
endif()

# ---- the GUI, offscreen: its version and its help
run(gui_version ${usr}/bin/skarvel --version)
if(NOT gui_version_out STREQUAL "skarvel ${VERSION}\n")
  fail("skarvel --version: '${gui_version_out}'")
endif()
run(check ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${usr}/bin/skarvel --check-help)
run(built_check ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${BUILD_DIR}/src/skarvel --check-help)
string(REGEX MATCH "Topics read: ([0-9]+)" found "${built_check_out}")
set(topics "${CMAKE_MATCH_1}")
if(NOT check_rc EQUAL 0 OR NOT check_out STREQUAL "Help folder: ${data}/\nTopics read: ${topics}\n" OR topics LESS 40)
  fail("installed skarvel --check-help (${check_rc}):\n${check_out}${check_err}\nbuild tree:\n${built_check_out}")
endif()
cmake_path(SET build_data NORMALIZE "${BUILD_DIR}/share/skarvel/")
if(NOT built_check_rc EQUAL 0 OR NOT built_check_out MATCHES "^Help folder: ${build_data}\n")
  fail("build tree skarvel --check-help (${built_check_rc}):\n${built_check_out}${built_check_err}")
endif()

# ---- the desktop entry and the metainfo
run(desktop desktop-file-validate ${usr}/share/applications/org.skarvel.Skarvel.desktop)
if(NOT desktop_rc EQUAL 0 OR desktop_out MATCHES "error:")
  fail("desktop-file-validate (${desktop_rc}): ${desktop_out}${desktop_err}")
endif()
run(appstream appstreamcli validate --no-net ${usr}/share/metainfo/org.skarvel.Skarvel.metainfo.xml)
if(NOT appstream_rc EQUAL 0)
  fail("appstreamcli validate (${appstream_rc}): ${appstream_out}${appstream_err}")
endif()
file(READ ${usr}/share/metainfo/org.skarvel.Skarvel.metainfo.xml metainfo)
if(NOT metainfo MATCHES "<release version=\"${VERSION}\" date=\"[0-9-]+\">")
  fail("the metainfo names no release ${VERSION}")
endif()
# Every screenshot named is one of docs/screenshots.
string(REGEX MATCHALL "/[a-z0-9-]+\\.png</image>" shots "${metainfo}")
list(LENGTH shots shot_count)
if(shot_count LESS 1)
  fail("the metainfo names no screenshot")
endif()
foreach(shot IN LISTS shots)
  string(REGEX REPLACE "^/(.*)</image>$" "\\1" name "${shot}")
  if(NOT EXISTS ${SOURCE_DIR}/docs/screenshots/${name})
    fail("screenshot ${name} is not in docs/screenshots")
  endif()
endforeach()

# ---- the manual pages (as written, before compression)
file(READ ${BUILD_DIR}/data/man/skarvel-cli.1 cli_page)
file(READ ${BUILD_DIR}/data/man/skarvel.1 gui_page)
if(NOT cli_page MATCHES "^\\.TH SKARVEL-CLI 1 \"[0-9-]+\" \"Skarvel ${VERSION}\"")
  fail("skarvel-cli.1 has no title line")
endif()
# A section per subcommand, its name with roff's minus signs.
foreach(sub IN ITEMS time fits-info solve report)
  string(REPLACE "-" "\\-" roff "${sub}")
  string(FIND "${cli_page}" "\n.SS ${roff}\n.nf\n" at)
  if(at LESS 0)
    fail("skarvel-cli.1 has no section for ${sub}")
  endif()
endforeach()
if(NOT gui_page MATCHES "\\\\-\\\\-check\\\\-help")
  fail("skarvel.1 does not describe --check-help")
endif()
find_program(MAN man)
if(MAN)
  run(man ${CMAKE_COMMAND} -E env MANWIDTH=80 ${MAN} --warnings -E UTF-8 -l ${BUILD_DIR}/data/man/skarvel-cli.1)
  if(NOT man_rc EQUAL 0 OR NOT man_err STREQUAL "")
    fail("man reports on skarvel-cli.1: ${man_err}")
  endif()
endif()
