# The release's file names, for the Windows tree that makes the packages and
# the native tree whose tests install them. The shipped build is i686; an
# x86_64 tree (for hosts without 32-bit Wine) names its packages apart.
#   lumeric_release_names(<i686|x86_64>) sets LUMERIC_RELEASE_STEM (the zip's
#   folder), LUMERIC_SETUP_NAME and LUMERIC_PORTABLE_NAME.
function(lumeric_release_names arch)
  set(stem Lumeric-${PROJECT_VERSION})
  if(NOT arch STREQUAL i686)
    set(stem ${stem}-${arch})
  endif()
  set(LUMERIC_RELEASE_STEM ${stem} PARENT_SCOPE)
  set(LUMERIC_SETUP_NAME ${stem}-setup.exe PARENT_SCOPE)
  set(LUMERIC_PORTABLE_NAME ${stem}-portable.zip PARENT_SCOPE)
endfunction()
