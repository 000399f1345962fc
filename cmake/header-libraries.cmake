# CLI11 and nlohmann/json, both header only, for every target of both trees.
# The cross compiler must not see the host's whole /usr/include (the host's C
# library headers would shadow MinGW's), so both are linked into a folder of
# their own in the build tree, which every tree uses alike.
set(LUMERIC_HEADER_LIBRARIES_DIR "/usr/include" CACHE PATH
  "Folder that holds CLI/ (CLI11) and nlohmann/ (nlohmann/json)")
set(header_libraries ${PROJECT_BINARY_DIR}/header-libraries)
file(MAKE_DIRECTORY ${header_libraries})
foreach(library CLI nlohmann)
  if(NOT EXISTS "${LUMERIC_HEADER_LIBRARIES_DIR}/${library}")
    message(FATAL_ERROR "${LUMERIC_HEADER_LIBRARIES_DIR}/${library} is missing: "
      "install libcli11-dev and nlohmann-json3-dev (scripts/install-packages.sh)")
  endif()
  file(CREATE_LINK "${LUMERIC_HEADER_LIBRARIES_DIR}/${library}" "${header_libraries}/${library}" SYMBOLIC)
endforeach()
add_library(lumeric_header_libraries INTERFACE)
target_include_directories(lumeric_header_libraries SYSTEM INTERFACE ${header_libraries})
