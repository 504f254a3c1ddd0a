# The capability store: value texts and containers (pure), the control-file rules, and the negotiation of the
# shipped capabilities through DS_Entry. Those that write the control files and the redirection file in the
# prefix's Windows directory hold the "windows_directory" lock.

# The install step, against a folder laid out like a prefix (no Wine needed, so every Windows build runs it).
if(TARGET NorvikLX9)
  add_test(NAME ds_caps_install_test
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/ds_caps_install_test.sh ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
  set_tests_properties(ds_caps_install_test PROPERTIES LABELS "${LX9_WINE_ARCH}" TIMEOUT 60)
endif()

add_library(ds_caps_support STATIC ${CMAKE_CURRENT_LIST_DIR}/ds_caps_support.cpp)
lx9_warnings(ds_caps_support)
target_link_libraries(ds_caps_support PUBLIC ds_twain_support)

foreach(name value control_files negotiation application)
  set(locks)
  set(cost 2)
  if(NOT name STREQUAL "value")
    set(locks LOCKS windows_directory)
  endif()
  lx9_gtest(ds_caps_${name}_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/ds_caps_${name}_test.cpp LIBS ds_caps_support
            ${locks} COST ${cost})
endforeach()
