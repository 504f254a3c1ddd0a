# Device command layer, error report, frame processing chain and index sheet.
set(LX9_DEVICE_SUPPORT ds_device_support.cpp)

lx9_gtest(ds_chain_image_test SOURCES ds_chain_image_test.cpp ${LX9_DEVICE_SUPPORT} LIBS NorvikLX9Core)
lx9_gtest(ds_chain_index_sheet_test SOURCES ds_chain_index_sheet_test.cpp ${LX9_DEVICE_SUPPORT} LIBS NorvikLX9Core)
lx9_gtest(ds_device_report_test SOURCES ds_device_report_test.cpp ${LX9_DEVICE_SUPPORT} LIBS NorvikLX9Core)
lx9_gtest(ds_chain_frame_test SOURCES ds_chain_frame_test.cpp ${LX9_DEVICE_SUPPORT} LIBS NorvikLX9Core)
