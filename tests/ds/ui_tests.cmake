# The source's windows against lx9emu on LPT1, operated as a person operates them (Windows builds only).
if(NOT TARGET NorvikLX9Core OR NOT LX9_RUN_WINDOWS_TESTS OR (NOT LX9_EMULATOR AND NOT TARGET lx9emu))
  return()
endif()

add_executable(ds_ui_main_window_test ds_ui_main_window_test.cpp ds_ui_support.cpp ds_device_emulator.cpp
                                      ds_device_support.cpp)
lx9_warnings(ds_ui_main_window_test)
target_link_libraries(ds_ui_main_window_test PRIVATE NorvikLX9Core NorvikLX9Resources GTest::gtest
                                                     GTest::gtest_main)
add_dependencies(ds_ui_main_window_test ds_twain_fake_dsm)

# lx9_ui_suite(SUITE emulator options...): one suite against its own emulator, with the control bridge.
function(lx9_ui_suite suite)
  string(TOLOWER ${suite} name)
  lx9_add_test(NAME ds_ui_main_window_${name}_test
    COMMAND ${CMAKE_SOURCE_DIR}/tools/with-emulator.sh --prefix ${LX9_WINEPREFIX} ${ARGN}
            -- ${CMAKE_CURRENT_SOURCE_DIR}/ds_ui_control_bridge.sh
            -- ${LX9_WINE_SCRIPT} -- $<TARGET_FILE:ds_ui_main_window_test> --gtest_filter=${suite}.*
    EMULATOR TIMEOUT 300)
endfunction()

lx9_ui_suite(Layout --fast --standby on --cartridge 40)
lx9_ui_suite(IndexAll15 --fast --standby on --cartridge 15)
lx9_ui_suite(IndexAll25 --fast --standby on --cartridge 25)
lx9_ui_suite(IndexAll40 --fast --standby on --cartridge 40)
lx9_ui_suite(Behaviour --fast --standby on --cartridge 25)
lx9_ui_suite(Restart --fast --standby on --cartridge 25)
