# The emulator program (native only): framing, commands, device state, faults, control channel, and
# the real lx9emu over its pty.
lx9_gtest(emu_core_test
  SOURCES emu_core_wire_test.cpp emu_core_device_test.cpp emu_core_faults_test.cpp emu_core_control_test.cpp
          emu_core_options_test.cpp emu_core_process_test.cpp emu_core_test_util.cpp
  LIBS lx9emu_core
  EMULATOR TIMEOUT 120)
target_compile_definitions(emu_core_test PRIVATE LX9EMU_PATH="$<TARGET_FILE:lx9emu>")
add_dependencies(emu_core_test lx9emu)

# tools/with-emulator.sh, run the way the Windows tests run it.
lx9_add_test(NAME emu_core_with_emulator
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/emu_core_with_emulator_test.sh
  EMULATOR TIMEOUT 60)
