# The TWAIN core, driven through DS_Entry as an application drives it. The tests write the control files and
# the host's language setting in the prefix's Windows directory, so they hold the "windows_directory" lock
# (as every test writing there should).
add_library(ds_twain_support STATIC ${CMAKE_CURRENT_LIST_DIR}/ds_twain_support.cpp)
lx9_warnings(ds_twain_support)
target_link_libraries(ds_twain_support PUBLIC NorvikLX9Core GTest::gtest)

# A stand-in manager that records the notifications it receives; it lives in its own folder so that it never
# hides the real stand-in TWAIN_32.DLL of bin/.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(LX9_FAKE_DSM_EXPORTS "DSM_Entry = DSM_Entry@24\n    FakeDsmCalls")
else()
  set(LX9_FAKE_DSM_EXPORTS "DSM_Entry\n    FakeDsmCalls")
endif()
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/ds_twain_fake_dsm.def
     CONTENT "EXPORTS\n    ${LX9_FAKE_DSM_EXPORTS}\n")
add_library(ds_twain_fake_dsm SHARED ${CMAKE_CURRENT_LIST_DIR}/ds_twain_fake_dsm.cpp
                                     ${CMAKE_CURRENT_BINARY_DIR}/ds_twain_fake_dsm.def)
lx9_warnings(ds_twain_fake_dsm)
target_link_libraries(ds_twain_fake_dsm PRIVATE Lx9Twain)
set_target_properties(ds_twain_fake_dsm PROPERTIES PREFIX "" OUTPUT_NAME TWAIN_32 SUFFIX ".DLL"
                      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/fake_dsm)

foreach(name session interface image transfer hostile)
  set(cost 5)
  set(timeout 300)
  if(name STREQUAL "hostile")
    # Thousands of calls through Wine, most of it system time: beside a build it takes twice as long.
    set(cost 160)
    set(timeout 600)
  endif()
  lx9_gtest(ds_twain_${name}_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/ds_twain_${name}_test.cpp
            LIBS ds_twain_support LOCKS windows_directory COST ${cost} TIMEOUT ${timeout})
endforeach()
add_dependencies(ds_twain_interface_test ds_twain_fake_dsm)
