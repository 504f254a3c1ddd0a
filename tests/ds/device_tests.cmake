# Device command layer, error report, frame processing chain and index sheet (Windows builds only).
if(NOT TARGET NorvikLX9Core)
  return()
endif()
set(LX9_DEVICE_SUPPORT ds_device_support.cpp)

lx9_gtest(ds_chain_image_test SOURCES ds_chain_image_test.cpp ${LX9_DEVICE_SUPPORT} LIBS NorvikLX9Core)
lx9_gtest(ds_chain_index_sheet_test SOURCES ds_chain_index_sheet_test.cpp ${LX9_DEVICE_SUPPORT} LIBS NorvikLX9Core)
# It opens LPT1 to see the open fail: not while an emulator test has it pointing at a pty.
lx9_gtest(ds_device_report_test SOURCES ds_device_report_test.cpp ${LX9_DEVICE_SUPPORT} LIBS NorvikLX9Core
          LOCKS lpt1)
lx9_gtest(ds_chain_frame_test SOURCES ds_chain_frame_test.cpp ${LX9_DEVICE_SUPPORT} LIBS NorvikLX9Core)

# Tests against lx9emu on LPT1. One test program per subject; each suite of it runs against its own emulator,
# started with that suite's options by tools/with-emulator.sh, which also exports LX9_EMU_LOG (the command
# log the tests read back through drive Z:). Faults come from the emulator's command line, so a Windows
# program never needs the emulator's Unix control socket. The programs are built everywhere; the suites are
# registered where Windows programs run and an emulator is at hand.
if(LX9_RUN_WINDOWS_TESTS AND (LX9_EMULATOR OR TARGET lx9emu))
  set(LX9_DEVICE_EMULATOR_SUITES ON)
else()
  set(LX9_DEVICE_EMULATOR_SUITES OFF)
endif()

function(lx9_device_emulator_program name)
  add_executable(${name} ${ARGN} ds_device_emulator.cpp ${LX9_DEVICE_SUPPORT})
  lx9_warnings(${name})
  target_link_libraries(${name} PRIVATE NorvikLX9Core GTest::gtest GTest::gtest_main)
endfunction()

# lx9_device_emulator_suite(TEST PROGRAM SUITE emulator options...)
function(lx9_device_emulator_suite test program suite)
  if(NOT LX9_DEVICE_EMULATOR_SUITES)
    return()
  endif()
  lx9_add_test(NAME ${test}
    COMMAND ${CMAKE_SOURCE_DIR}/tools/with-emulator.sh --prefix ${LX9_WINEPREFIX} ${ARGN}
            -- ${LX9_WINE_SCRIPT} -- $<TARGET_FILE:${program}> --gtest_filter=${suite}.*
    EMULATOR TIMEOUT 180)
endfunction()

lx9_device_emulator_program(ds_device_commands_test ds_device_commands_test.cpp)
lx9_device_emulator_suite(ds_device_commands_test ds_device_commands_test Commands
  --fast --standby off --cartridge 25)
lx9_device_emulator_suite(ds_device_refusal_test ds_device_commands_test Refusal
  --fast --standby on --fault "refuse 200 code window")
lx9_device_emulator_suite(ds_device_busy_test ds_device_commands_test BusyDevice
  --fast --standby on --fault "refuse 5000 code window")
lx9_device_emulator_suite(ds_device_library_recovery_test ds_device_commands_test LibraryRecovery
  --fast --standby on --fault "status 0x71 5 code window" --fault "checksum code inquiry")
lx9_device_emulator_suite(ds_device_hardware_report_test ds_device_commands_test HardwareReport
  --fast --standby on --fault "status 0x71 5 code window times 3" --fault "status 0x71 0x3c code scan times 3")
lx9_device_emulator_suite(ds_device_longer_id_test ds_device_commands_test LongerIdentification
  --fast --id "MFG:NORVIK$<SEMICOLON>MDL:LX-9$<SEMICOLON>VER:2.10")
lx9_device_emulator_suite(ds_device_oversized_id_test ds_device_commands_test OversizedIdentification
  --fast --id "MFG:NORVIK$<SEMICOLON>MDL:LX-9$<SEMICOLON>THIS-IDENTIFICATION-IS-FAR-TOO-LONG-FOR-72")

lx9_device_emulator_program(ds_chain_scan_test ds_chain_scan_test.cpp)
lx9_device_emulator_suite(ds_chain_scan_negative_test ds_chain_scan_test NegativeFilm
  --fast --standby on --cartridge 25 --film negative)
lx9_device_emulator_suite(ds_chain_scan_positive_test ds_chain_scan_test PositiveFilm
  --fast --standby on --cartridge 15 --film positive)
