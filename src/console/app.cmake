# Lumeric.exe: the console's handlers in a Win32 dialog, with its resources.
add_executable(Lumeric WIN32
  ${CMAKE_CURRENT_LIST_DIR}/console_app.cpp
  ${CMAKE_CURRENT_LIST_DIR}/console_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/password_dlg.cpp
  ${PROJECT_SOURCE_DIR}/src/resources/lumeric.rc
)
set_target_properties(Lumeric PROPERTIES OUTPUT_NAME Lumeric)
target_include_directories(Lumeric PRIVATE ${PROJECT_SOURCE_DIR}/src/resources)
target_link_libraries(Lumeric PRIVATE lumeric_console lumeric_multiunit_win32 lumeric_ui_win32 lumeric_comport comctl32)
# The manifest is a resource (src/resources); the linker must not add a second one.
if(MSVC)
  target_link_options(Lumeric PRIVATE /MANIFEST:NO)
endif()
