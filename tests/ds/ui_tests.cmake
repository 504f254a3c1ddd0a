# The source's windows, operated as a person operates them: the small dialogs on their own, start-up with the
# real windows against lx9emu, and the main window with its index scans against lx9emu. The programs are
# built in every Windows configuration; the suites run where Windows programs run and an emulator is at hand.
if(NOT TARGET NorvikLX9Core)
  return()
endif()
# The window suites take minutes (each against its own emulator, one at a time on LPT1): where the i686 build
# runs them, the build script turns them off for the x86_64 build with LX9_WINDOW_SUITES=OFF.
option(LX9_WINDOW_SUITES "Run the window suites against the emulator" ON)
if(LX9_RUN_WINDOWS_TESTS AND LX9_WINDOW_SUITES AND (LX9_EMULATOR OR TARGET lx9emu))
  set(LX9_UI_EMULATOR_SUITES ON)
else()
  set(LX9_UI_EMULATOR_SUITES OFF)
endif()

set(LX9_UI_STARTUP_SUPPORT ${CMAKE_CURRENT_LIST_DIR}/ds_ui_startup_support.cpp
                           ${CMAKE_CURRENT_LIST_DIR}/ds_ui_user_actions.cpp
                           ${CMAKE_CURRENT_LIST_DIR}/ds_device_support.cpp)

function(lx9_ui_program name)
  add_executable(${name} ${ARGN} ${LX9_UI_STARTUP_SUPPORT})
  lx9_warnings(${name})
  target_link_libraries(${name} PRIVATE ds_twain_support NorvikLX9Resources GTest::gtest GTest::gtest_main)
  add_dependencies(${name} ds_twain_fake_dsm)
endfunction()

# Splash, About and Property, and the film setting file (written in the prefix's Windows directory).
lx9_ui_program(ds_ui_dialogs_test ${CMAKE_CURRENT_LIST_DIR}/ds_ui_dialogs_test.cpp)
lx9_add_test(NAME ds_ui_dialogs_test COMMAND ds_ui_dialogs_test TIMEOUT 120 LOCKS windows_directory)

# Start-up: one suite against its own emulator, with the relay to the emulator's control socket.
lx9_ui_program(ds_ui_startup_test ${CMAKE_CURRENT_LIST_DIR}/ds_ui_startup_test.cpp)
# lx9_ui_startup_suite(SUITE [COST seconds] emulator options...), likewise the other suites below.
function(lx9_ui_startup_suite suite)
  if(NOT LX9_UI_EMULATOR_SUITES)
    return()
  endif()
  cmake_parse_arguments(S "" "COST" "" ${ARGN})
  string(TOLOWER ${suite} lower)
  lx9_add_test(NAME ds_ui_startup_${lower}_test
    COMMAND ${CMAKE_SOURCE_DIR}/tools/with-emulator.sh --prefix ${LX9_WINEPREFIX} ${S_UNPARSED_ARGUMENTS}
            -- ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/emulator_relay.sh
               ${LX9_WINE_SCRIPT} -- $<TARGET_FILE:ds_ui_startup_test> --gtest_filter=${suite}.*
    EMULATOR LOCKS windows_directory TIMEOUT 240 COST ${S_COST})
endfunction()

lx9_ui_startup_suite(NoCartridge --fast --standby on --cartridge none)
lx9_ui_startup_suite(LaterCartridge --fast --standby on --cartridge none)
lx9_ui_startup_suite(StandbyOn COST 9 --fast --standby on --cartridge 25 --film negative)
lx9_ui_startup_suite(StandbyOff --fast --standby off --cartridge 25 --film negative)
lx9_ui_startup_suite(Positive40 --fast --standby on --cartridge 40 --film positive)
lx9_ui_startup_suite(Restarted COST 13 --fast --standby on --cartridge none)
lx9_ui_startup_suite(Fault110 COST 29 --fast --standby on --fault "status 0x71 0x10 code tur always")
lx9_ui_startup_suite(Fault111 COST 29 --fast --standby on --fault "status 0x71 0x11 code tur after 1 always")
lx9_ui_startup_suite(Fault112 --fast --standby on --fault "status 0x71 0x12 code read always")
lx9_ui_startup_suite(Fault113 COST 29 --fast --standby on --fault "status 0x71 0x13 code tur after 2 always")
lx9_ui_startup_suite(Fault114 COST 29 --fast --standby on --fault "status 0x71 0x14 code tur after 3 always")
lx9_ui_startup_suite(Fault115 COST 29 --fast --standby on --fault "status 0x71 0x15 code tur after 4 always")
lx9_ui_startup_suite(StandbyStuck --fast --standby stuck)
lx9_ui_startup_suite(BusyWake --fast --standby off)
lx9_ui_startup_suite(Unusable --fast --standby on --unusable)
lx9_ui_startup_suite(OtherDevice --fast --standby on --id "MFG:OTHER$<SEMICOLON>MDL:LX-1")

# The main window and its index scans: one suite against its own emulator, with the control bridge.
add_executable(ds_ui_main_window_test
  ${CMAKE_CURRENT_LIST_DIR}/ds_ui_main_window_test.cpp ${CMAKE_CURRENT_LIST_DIR}/ds_ui_main_support.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ds_device_emulator.cpp ${CMAKE_CURRENT_LIST_DIR}/ds_device_support.cpp)
lx9_warnings(ds_ui_main_window_test)
target_link_libraries(ds_ui_main_window_test PRIVATE NorvikLX9Core NorvikLX9Resources GTest::gtest
                                                     GTest::gtest_main)
add_dependencies(ds_ui_main_window_test ds_twain_fake_dsm)

function(lx9_ui_main_suite suite)
  if(NOT LX9_UI_EMULATOR_SUITES)
    return()
  endif()
  cmake_parse_arguments(S "" "COST" "" ${ARGN})
  string(TOLOWER ${suite} name)
  lx9_add_test(NAME ds_ui_main_window_${name}_test
    COMMAND ${CMAKE_SOURCE_DIR}/tools/with-emulator.sh --prefix ${LX9_WINEPREFIX} ${S_UNPARSED_ARGUMENTS}
            -- ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/ds_ui_control_bridge.sh
            -- ${LX9_WINE_SCRIPT} -- $<TARGET_FILE:ds_ui_main_window_test> --gtest_filter=${suite}.*
    EMULATOR TIMEOUT 300 COST ${S_COST})
endfunction()

lx9_ui_main_suite(Layout --fast --standby on --cartridge 40)
lx9_ui_main_suite(IndexAll15 --fast --standby on --cartridge 15)
lx9_ui_main_suite(IndexAll25 COST 12 --fast --standby on --cartridge 25)
lx9_ui_main_suite(IndexAll40 COST 12 --fast --standby on --cartridge 40)
lx9_ui_main_suite(Behaviour COST 33 --fast --standby on --cartridge 25)
lx9_ui_main_suite(Restart COST 14 --fast --standby on --cartridge 25)

# The final scans, standard and extended: one suite against its own emulator, with the control bridge.
set(LX9_UI_SCAN_SUPPORT ${CMAKE_CURRENT_LIST_DIR}/ds_ui_scan_support.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ds_ui_main_support.cpp ${CMAKE_CURRENT_LIST_DIR}/ds_ui_user_actions.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ds_device_emulator.cpp ${CMAKE_CURRENT_LIST_DIR}/ds_device_support.cpp)
function(lx9_ui_scan_program name)
  add_executable(${name} ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/${name}.cpp ${LX9_UI_SCAN_SUPPORT})
  lx9_warnings(${name})
  target_link_libraries(${name} PRIVATE NorvikLX9Core NorvikLX9Resources GTest::gtest GTest::gtest_main)
  add_dependencies(${name} ds_twain_fake_dsm)
endfunction()
lx9_ui_scan_program(ds_ui_final_scan_test)
lx9_ui_scan_program(ds_ui_extended_scan_test)
lx9_ui_scan_program(ds_ui_fault_matrix_test)
lx9_ui_scan_program(ds_ui_soak_test)
lx9_ui_scan_program(ds_ui_timing_test)  # tools/measure-timings.sh runs it, with the emulator's two timings
target_link_libraries(ds_ui_soak_test PRIVATE psapi)

function(lx9_ui_scan_suite program suite)
  if(NOT LX9_UI_EMULATOR_SUITES)
    return()
  endif()
  cmake_parse_arguments(S "" "COST;FILTER" "" ${ARGN})
  string(TOLOWER ${suite} name)
  string(REGEX REPLACE "_test$" "" base ${program})
  if(NOT S_FILTER)
    set(S_FILTER ${suite}.*)
  endif()
  lx9_add_test(NAME ${base}_${name}_test
    COMMAND ${CMAKE_SOURCE_DIR}/tools/with-emulator.sh --prefix ${LX9_WINEPREFIX} ${S_UNPARSED_ARGUMENTS}
            -- ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/ds_ui_control_bridge.sh
            -- ${LX9_WINE_SCRIPT} -- $<TARGET_FILE:${program}> --gtest_filter=${S_FILTER}
    EMULATOR TIMEOUT 600 COST ${S_COST})
endfunction()

lx9_ui_scan_suite(ds_ui_final_scan_test FinalNegative COST 84 --fast --standby on --cartridge 25 --film negative)
lx9_ui_scan_suite(ds_ui_final_scan_test FinalPositive COST 23 --fast --standby on --cartridge 25 --film positive)
lx9_ui_scan_suite(ds_ui_final_scan_test FinalFault COST 21 --fast --standby on --cartridge 25 --film negative)
lx9_ui_scan_suite(ds_ui_extended_scan_test ExtendedWhole COST 31 --fast --standby on --cartridge 25 --film negative
                  --buffer-size 4194304)
lx9_ui_scan_suite(ds_ui_extended_scan_test ExtendedLimited COST 39 --fast --standby on --cartridge 25 --film negative
                  --buffer-size 131072)
lx9_ui_scan_suite(ds_ui_soak_test Soak COST 360 --fast --standby on --cartridge 15 --film negative)
# Every fault kind at three points of a scan, once and for good: one suite per point and persistence.
foreach(point Preview Final Between)
  foreach(persistence Once Always)
    lx9_ui_scan_suite(ds_ui_fault_matrix_test ${point}${persistence} COST 90
                      FILTER *Fault${point}.*/${persistence}_* --fast --standby on --cartridge 15 --film negative)
  endforeach()
endforeach()

# The crop window's geometry: rubber band clamping, area limit and the scan rectangle.
lx9_gtest(ds_ui_crop_window_test SOURCES ds_ui_crop_window_test.cpp ds_device_support.cpp LIBS NorvikLX9Core
          NorvikLX9Resources)
