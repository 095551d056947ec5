# What the sanitizers are told in every test run (they read it only in the
# sanitizer build): leaks are errors; tests/lsan.supp names the few that are
# not the program's, each with its reason.
set(TALVO_SANITIZER_ENV
  "ASAN_OPTIONS=detect_leaks=1"
  "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0"
  "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")

# talvo_add_test(<name> SOURCES ... LIBS ... [GUI])
# One GoogleTest program, registered with CTest in a controlled environment:
# a private HOME and XDG folders, a fixed locale and zone, and Qt's offscreen
# platform for programs that build widgets.
function(talvo_add_test name)
  cmake_parse_arguments(T "GUI" "" "SOURCES;LIBS" ${ARGN})
  if(WIN32)
    talvo_add_windows_test(${name} ${ARGN})
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  # Tests may look inside the platform's implementations.
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  if(T_GUI)
    target_link_libraries(${name} PRIVATE talvo_testhooks)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set(home ${CMAKE_CURRENT_BINARY_DIR}/${name}.home)
  set(env
    "HOME=${home}"
    "XDG_CONFIG_HOME=${home}/.config"
    "XDG_DATA_HOME=${home}/.local/share"
    "XDG_STATE_HOME=${home}/.local/state"
    "XDG_RUNTIME_DIR=${home}/run"
    "TZ=Europe/Stockholm"
    "LANG=C.UTF-8"
    "LC_ALL=C.UTF-8"
    ${TALVO_SANITIZER_ENV})
  if(T_GUI)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 600)
  file(MAKE_DIRECTORY ${home}/run)
  file(CHMOD ${home}/run PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
endfunction()

# On Windows (cross-built): a Windows program run by ctest under Wine
# (CMAKE_CROSSCOMPILING_EMULATOR), in the Wine prefix scripts/test-windows.sh
# prepares. The zone is given to Wine through TZ; TestEnvironment.cpp keeps
# the C runtime from misreading it.
function(talvo_add_windows_test name)
  cmake_parse_arguments(T "GUI" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${PROJECT_SOURCE_DIR}/tests/TestEnvironment.cpp)
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  if(T_GUI)
    # The program's resources too: its icons, and the manifest that gives the
    # UTF-8 code page and the common controls it is built for.
    target_link_libraries(${name} PRIVATE talvo_testhooks talvo_win32_resources)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  # Swedish, so that the system's own buttons (message boxes) are labelled
  # as on a Swedish Windows.
  # The main window's tests take minutes under Wine (see docs/DESIGN.md).
  set_tests_properties(${name} PROPERTIES TIMEOUT 1500 ENVIRONMENT
    "TZ=Europe/Stockholm;LANG=sv_SE.UTF-8;WINEDEBUG=-all;WINEPREFIX=${CMAKE_BINARY_DIR}/wine")
endfunction()
