# Cross build: the Windows program and the Win32 tests (run under Wine by ctest).

# Cross-building on Linux: Boost's headers only, without the rest of /usr/include (Linux
# headers must not shadow MinGW's). On Windows Boost comes from the compiler's flags.
if(EXISTS /usr/include/boost/regex.hpp)
  set(RAVO_BOOST_INCLUDE ${CMAKE_BINARY_DIR}/boost-include)
  file(MAKE_DIRECTORY ${RAVO_BOOST_INCLUDE})
  file(CREATE_LINK /usr/include/boost ${RAVO_BOOST_INCLUDE}/boost SYMBOLIC)
endif()

set(RAVO_WIN_LIBS comctl32 gdi32 wininet shell32 ole32 oleaut32 uuid comdlg32 user32 advapi32 crypt32 kernel32)
set(RAVO_STATIC_LINK -static -static-libgcc -static-libstdc++)

ravo_core_library(ravo_core -O2)
# Code pages by the system's own tables.
target_sources(ravo_core PRIVATE src/text/encoding_win.cpp)
# Unicode inside: every call that takes text is the "W" one.
target_compile_definitions(ravo_core PUBLIC UNICODE _UNICODE)
if(RAVO_BOOST_INCLUDE)
  target_include_directories(ravo_core SYSTEM PUBLIC ${RAVO_BOOST_INCLUDE})
endif()

# Everything of the program except its entry point, so that the tests can link it.
file(GLOB RAVO_WIN_SOURCES CONFIGURE_DEPENDS
  src/win/*.cpp src/layout/*.cpp src/app/*.cpp src/lyrics/*_win.cpp src/delivery/*.cpp
  src/billboard/*_win.cpp src/search/*_win.cpp src/update/*_win.cpp)
list(REMOVE_ITEM RAVO_WIN_SOURCES ${CMAKE_SOURCE_DIR}/src/app/main.cpp)
foreach(core ${RAVO_CORE_SOURCES})  # native-built files of these folders live in ravo_core
  list(REMOVE_ITEM RAVO_WIN_SOURCES ${CMAKE_SOURCE_DIR}/${core})
endforeach()
add_library(ravo_win STATIC ${RAVO_WIN_SOURCES})
target_compile_definitions(ravo_win PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0600 WINVER=0x0600 _WIN32_IE=0x0600)
target_link_libraries(ravo_win PUBLIC ravo_core ${RAVO_WIN_LIBS})

# The program file's resources: the icon (drawn by scripts/make_icon.py), the application
# manifest and the version information, both configured from the version set above.
enable_language(RC)
set(RAVO_ICON_FILE ${CMAKE_BINARY_DIR}/generated/ravo.ico)
set(RAVO_MANIFEST_FILE ${CMAKE_BINARY_DIR}/generated/RavoSubtitler.manifest)
set(RAVO_PROGRAM_RC ${CMAKE_BINARY_DIR}/generated/program.rc)
configure_file(src/app/program.manifest.in ${RAVO_MANIFEST_FILE} @ONLY)
configure_file(src/app/program.rc.in ${RAVO_PROGRAM_RC} @ONLY)
find_program(RAVO_PYTHON NAMES python3 REQUIRED)
add_custom_command(OUTPUT ${RAVO_ICON_FILE}
                   COMMAND ${RAVO_PYTHON} ${CMAKE_SOURCE_DIR}/scripts/make_icon.py ${RAVO_ICON_FILE}
                   DEPENDS ${CMAKE_SOURCE_DIR}/scripts/make_icon.py)
add_custom_target(ravo_icon DEPENDS ${RAVO_ICON_FILE})
set_source_files_properties(${RAVO_PROGRAM_RC} PROPERTIES OBJECT_DEPENDS "${RAVO_ICON_FILE};${RAVO_MANIFEST_FILE}")

add_executable(ravo_subtitler WIN32 src/app/main.cpp ${RAVO_PROGRAM_RC})
add_dependencies(ravo_subtitler ravo_icon)
target_link_libraries(ravo_subtitler PRIVATE ravo_win)
# No link time stamp in the PE header: the same sources give the same program file.
target_link_options(ravo_subtitler PRIVATE ${RAVO_STATIC_LINK} -mwindows -Wl,--no-insert-timestamp)
set_target_properties(ravo_subtitler PROPERTIES OUTPUT_NAME "RavoSubtitler")

# Stand-in programs for the tests and demos.
file(GLOB RAVO_TOOL_PROGRAMS CONFIGURE_DEPENDS tools/*.cpp)
list(REMOVE_ITEM RAVO_TOOL_PROGRAMS ${CMAKE_SOURCE_DIR}/tools/media_session_standin.cpp)
# The media session's stand-in is a runtime class: a DLL whose DllGetActivationFactory
# combase finds by its plain name.
add_library(media_session_standin SHARED tools/media_session_standin.cpp)
target_compile_options(media_session_standin PRIVATE -Wall -Wextra)
target_link_options(media_session_standin PRIVATE ${RAVO_STATIC_LINK} -Wl,--kill-at)
set_target_properties(media_session_standin PROPERTIES PREFIX "")
foreach(src ${RAVO_TOOL_PROGRAMS})
  get_filename_component(tool ${src} NAME_WE)
  add_executable(${tool} WIN32 ${src})
  target_compile_options(${tool} PRIVATE -Wall -Wextra)
  target_include_directories(${tool} PRIVATE src)  # the handle owners of src/win
  target_link_libraries(${tool} PRIVATE ${RAVO_WIN_LIBS})
  target_link_options(${tool} PRIVATE ${RAVO_STATIC_LINK})
endforeach()

# Win32 tests, run under Wine (Debian's GoogleTest sources, cross-built).
if(NOT EXISTS /usr/src/googletest/CMakeLists.txt)
  return()
endif()
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
file(GLOB RAVO_WIN_TESTS CONFIGURE_DEPENDS tests/*/*_win_test.cpp)
file(GLOB RAVO_WIN_TEST_SUPPORT CONFIGURE_DEPENDS tests/support/*_win.cpp)
if(RAVO_WIN_TESTS)
  # The program's resources, its manifest included: the windows under test get the
  # common controls the program gets.
  add_executable(win_tests ${RAVO_WIN_TESTS} ${RAVO_WIN_TEST_SUPPORT} ${RAVO_PROGRAM_RC})
  add_dependencies(win_tests ravo_icon ravo_subtitler media_session_standin)
  target_include_directories(win_tests PRIVATE tests)
  target_compile_definitions(win_tests PRIVATE RAVO_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
                             RAVO_UPDATE_SIGNING_KEY="${RAVO_UPDATE_SIGNING_KEY}"
                             RAVO_PROGRAM_FILE="$<TARGET_FILE:ravo_subtitler>"
                             RAVO_MEDIA_SESSION_STANDIN="$<TARGET_FILE:media_session_standin>")
  target_link_libraries(win_tests PRIVATE ravo_win GTest::gtest_main version)
  target_link_options(win_tests PRIVATE ${RAVO_STATIC_LINK})
  # One process a test suite: under Wine a process of its own for each of the 140-odd
  # tests cost its start-up, most of their time. The suites are read from the sources
  # (TEST and TEST_F, and each INSTANTIATE_TEST_SUITE_P as prefix/suite); wine.unlisted
  # runs whatever test that reading missed, so none goes unrun.
  set(RAVO_WIN_SUITES)
  foreach(test_source ${RAVO_WIN_TESTS})
    file(READ ${test_source} text)
    string(REGEX MATCHALL "\nTEST(_F)?\\([A-Za-z0-9_]+," plain "${text}")
    foreach(match ${plain})
      string(REGEX REPLACE "\nTEST(_F)?\\(([A-Za-z0-9_]+)," "\\2" suite "${match}")
      list(APPEND RAVO_WIN_SUITES ${suite})
    endforeach()
    string(REGEX MATCHALL "INSTANTIATE_TEST_SUITE_P\\([ \n]*[A-Za-z0-9_]+,[ \n]*[A-Za-z0-9_]+" instances "${text}")
    foreach(match ${instances})
      string(REGEX REPLACE "INSTANTIATE_TEST_SUITE_P\\([ \n]*([A-Za-z0-9_]+),[ \n]*([A-Za-z0-9_]+)" "\\1/\\2"
             suite "${match}")
      list(APPEND RAVO_WIN_SUITES ${suite})
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES RAVO_WIN_SUITES)
  set(RAVO_LISTED "")
  foreach(suite ${RAVO_WIN_SUITES})
    string(REPLACE "/" "." name ${suite})
    add_test(NAME wine.${name}
             COMMAND ${CMAKE_SOURCE_DIR}/scripts/winerun $<TARGET_FILE:win_tests> --gtest_filter=${suite}.*)
    set_tests_properties(wine.${name} PROPERTIES TIMEOUT 600 FAIL_REGULAR_EXPRESSION "\\] 0 tests from")
    string(APPEND RAVO_LISTED ":${suite}.*")
  endforeach()
  add_test(NAME wine.unlisted
           COMMAND ${CMAKE_SOURCE_DIR}/scripts/winerun $<TARGET_FILE:win_tests> --gtest_filter=-${RAVO_LISTED})
  set_tests_properties(wine.unlisted PROPERTIES TIMEOUT 600)
  # The tests of every text path again under the code pages of Traditional Chinese (950)
  # and English (1252) Windows: captions read back, lyric files of any encoding and name,
  # delivery into Unicode and ANSI windows, the search, the update page and its signature
  # (not the search's thread count over a silent host, which holds no text path).
  set(RAVO_TEXT_PATH_TESTS
      "MainWindowLayout.*:UpdateWindow.*:TargetPicker.*:ProgramResources.*:TextDelivery.*:Playback.FilesOfAnyName*:Playback.Writes*:LyricLoader.*:LyricSearch.*:UpdateSignature.*:SelfUpdateWindow.*:Scroller.*:Billboard.*-LyricSearch.ManyFocusChanges*")
  # A lyric save that fills the disk: the test run under a file-size limit, beyond which a
  # write fails as it does on a full disk (the signal the limit raises is ignored).
  add_test(NAME full_disk.lyric_save
           COMMAND bash -c "trap '' XFSZ; ulimit -f 256; exec \"$0\" \"$@\""
                   ${CMAKE_SOURCE_DIR}/scripts/winerun $<TARGET_FILE:win_tests> --gtest_brief=1
                   --gtest_filter=LyricSearch.ASaveThatFillsTheDiskKeepsTheOldLyric)
  set_tests_properties(full_disk.lyric_save PROPERTIES TIMEOUT 120 ENVIRONMENT RAVO_FILE_SIZE_LIMIT_KB=256
                       FAIL_REGULAR_EXPRESSION "SKIPPED|FAILED")
  foreach(locale zh_TW.UTF-8 en_US.UTF-8)
    string(REGEX REPLACE "\\..*" "" tag ${locale})
    add_test(NAME codepage.${tag}
             COMMAND ${CMAKE_COMMAND} -E env RAVO_LC_CTYPE=${locale}
                     ${CMAKE_SOURCE_DIR}/scripts/winerun $<TARGET_FILE:win_tests> --gtest_brief=1
                     --gtest_filter=${RAVO_TEXT_PATH_TESTS})
    set_tests_properties(codepage.${tag} PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE)
  endforeach()
  # The windows at 125, 150 and 200 % display scale (Wine's system DPI; the run above is
  # at 100 %): every rectangle scaled, every caption whole, the picker's frame and icon,
  # clean repaints.
  set(RAVO_DPI_TESTS "MainWindowLayout.*:UpdateWindow.*:TargetPicker.*:WrappedCheckBox.*:TabPages.*")
  foreach(dpi 120 144 192)
    add_test(NAME dpi.${dpi}
             COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/at-dpi.sh ${dpi}
                     ${CMAKE_SOURCE_DIR}/scripts/winerun $<TARGET_FILE:win_tests> --gtest_brief=1
                     --gtest_filter=${RAVO_DPI_TESTS})
    set_tests_properties(dpi.${dpi} PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE)
  endforeach()
  # Japanese Windows (932): lyric files of its own code page and of GBK, played.
  add_test(NAME codepage.ja_JP
           COMMAND ${CMAKE_COMMAND} -E env RAVO_LC_CTYPE=ja_JP.UTF-8
                   ${CMAKE_SOURCE_DIR}/scripts/winerun $<TARGET_FILE:win_tests> --gtest_brief=1
                   --gtest_filter=Playback.Writes*:LyricLoader.*)
  set_tests_properties(codepage.ja_JP PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE)
endif()

# The HTTPS checks, run by tests/e2e/https_flows.sh in a prefix that trusts a test CA.
add_executable(https_checks tests/e2e/support/https_checks.cpp)
target_include_directories(https_checks PRIVATE tests)
target_link_libraries(https_checks PRIVATE ravo_win GTest::gtest)
target_link_options(https_checks PRIVATE ${RAVO_STATIC_LINK})

# Whole flows: real processes under Xvfb, driven by scripts in tests/e2e.
file(GLOB RAVO_E2E CONFIGURE_DEPENDS tests/e2e/*.sh)
foreach(script ${RAVO_E2E})
  get_filename_component(name ${script} NAME_WE)
  add_test(NAME e2e.${name}
           COMMAND ${CMAKE_COMMAND} -E env RAVO_MAKER_ADDRESS=${RAVO_MAKER_ADDRESS}
                   RAVO_UPDATE_SIGNING_KEY=${RAVO_UPDATE_SIGNING_KEY}
                   bash ${script} $<TARGET_FILE:ravo_subtitler> ${CMAKE_BINARY_DIR})
  set_tests_properties(e2e.${name} PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)
endforeach()
# The whole flows whose text crosses the system's code page, again under 950 and 1252.
foreach(name subtitles_into_standin lyric_search_flow forced_update)
  set(locales zh_TW.UTF-8 en_US.UTF-8)
  if(name STREQUAL subtitles_into_standin)
    list(APPEND locales ja_JP.UTF-8)
  endif()
  foreach(locale ${locales})
    string(REGEX REPLACE "\\..*" "" tag ${locale})
    add_test(NAME e2e.${name}.${tag}
             COMMAND ${CMAKE_COMMAND} -E env RAVO_LC_CTYPE=${locale} RAVO_MAKER_ADDRESS=${RAVO_MAKER_ADDRESS}
                     RAVO_UPDATE_SIGNING_KEY=${RAVO_UPDATE_SIGNING_KEY}
                     bash ${CMAKE_SOURCE_DIR}/tests/e2e/${name}.sh $<TARGET_FILE:ravo_subtitler> ${CMAKE_BINARY_DIR})
    set_tests_properties(e2e.${name}.${tag} PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)
  endforeach()
endforeach()
# The whole subtitle flow, a drag pick and a played lyric, at 150 % display scale.
add_test(NAME e2e.subtitles_into_standin.dpi144
         COMMAND ${CMAKE_COMMAND} -E env RAVO_MAKER_ADDRESS=${RAVO_MAKER_ADDRESS}
                 bash ${CMAKE_SOURCE_DIR}/scripts/at-dpi.sh 144
                 bash ${CMAKE_SOURCE_DIR}/tests/e2e/subtitles_into_standin.sh $<TARGET_FILE:ravo_subtitler> ${CMAKE_BINARY_DIR})
set_tests_properties(e2e.subtitles_into_standin.dpi144 PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)
# The flows that write into a target, again into an ordinary program's edit box.
foreach(name subtitles_into_standin hot_keys billboard_into_standin follow_player)
  add_test(NAME e2e.${name}.edit_box
           COMMAND ${CMAKE_COMMAND} -E env RAVO_STANDIN=edit RAVO_MAKER_ADDRESS=${RAVO_MAKER_ADDRESS}
                   RAVO_UPDATE_SIGNING_KEY=${RAVO_UPDATE_SIGNING_KEY}
                   bash ${CMAKE_SOURCE_DIR}/tests/e2e/${name}.sh $<TARGET_FILE:ravo_subtitler> ${CMAKE_BINARY_DIR})
  set_tests_properties(e2e.${name}.edit_box PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)
endforeach()
# The program imports only DLLs the loader never looks for beside it.
add_test(NAME imports.known_dlls_only
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/app/imported_dlls.sh $<TARGET_FILE:ravo_subtitler> ${CMAKE_OBJDUMP})
if(TEST e2e.release_package)
  set_tests_properties(e2e.release_package PROPERTIES TIMEOUT 900)  # it builds the program a second time
endif()

# Benchmarks that need Windows (run by bench/run-win-benchmarks.sh under Wine).
file(GLOB RAVO_WIN_BENCHES CONFIGURE_DEPENDS bench/*_win.cpp)
foreach(src ${RAVO_WIN_BENCHES})
  get_filename_component(name ${src} NAME_WE)
  string(REGEX REPLACE "_win$" "_bench" name ${name})
  add_executable(${name} ${src})
  target_include_directories(${name} PRIVATE tests)  # the process starter of tests/support
  target_link_libraries(${name} PRIVATE ravo_win)
  target_link_options(${name} PRIVATE ${RAVO_STATIC_LINK})
endforeach()
