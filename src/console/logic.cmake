# The console's handlers: portable, no Win32 headers.
add_library(lumeric_console STATIC
  ${CMAKE_CURRENT_LIST_DIR}/console_dlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/port_connection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/voltage_reading.cpp
  ${CMAKE_CURRENT_LIST_DIR}/device_info.cpp
  ${CMAKE_CURRENT_LIST_DIR}/device_settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/factory_mode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/calibration.cpp
)
target_include_directories(lumeric_console PUBLIC
  ${CMAKE_CURRENT_LIST_DIR}
  ${PROJECT_SOURCE_DIR}/src/resources
)
target_link_libraries(lumeric_console PUBLIC lumeric_protocol lumeric_ui_api lumeric_control_number lumeric_serial_api)
