# Release packages by CPack, run in a build folder after the build:
#   Linux:   OrvandelSelvarine-<version>-linux-x86_64.tar.gz
#   Windows: OrvandelSelvarine-<version>-windows-x64.zip (from the cross build)
# Each holds one folder of that name with the plug-in, its data folder with
# the manual, selvarine-render, the README, the licence and INSTALL.txt (the
# install component "package", see cmake/Install.cmake). tools/package.sh
# makes both and checks what is in them.
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(selvarine_package_system windows-x64)
else()
  set(CPACK_GENERATOR TGZ)
  string(TOLOWER "linux-${CMAKE_SYSTEM_PROCESSOR}" selvarine_package_system)
endif()
set(CPACK_PACKAGE_NAME OrvandelSelvarine)
set(CPACK_PACKAGE_VENDOR Doxaro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME "OrvandelSelvarine-${PROJECT_VERSION}-${selvarine_package_system}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL package)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_BINARY_DIR}/packages)
# Packaging takes what the build made; it does not build everything first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
include(CPack)
