# `cmake --install <build>` puts the plug-in where VST 2 hosts on Linux look for
# it: ~/.vst unless SELVARINE_VST_INSTALL_DIR names another folder (for a
# system-wide install, e.g. /usr/local/lib/vst). The user manual goes into the
# data folder "OrvandelSelvarine Files" beside the plug-in, where its editor's
# "User Manual" entry opens it; the same on Linux and Windows.
#
# The release packages (cmake/Package.cmake) use the install component
# "package": the same plug-in and data folder, plus the renderer, the README,
# the licence and the install note, at the top of the archive. That component
# is left out of a plain `cmake --install`.
if(DEFINED ENV{HOME} AND NOT "$ENV{HOME}" STREQUAL "")
  set(selvarine_default_vst_dir "$ENV{HOME}/.vst")
else()
  set(selvarine_default_vst_dir "${CMAKE_INSTALL_PREFIX}/lib/vst")
endif()
set(SELVARINE_VST_INSTALL_DIR "${selvarine_default_vst_dir}" CACHE PATH "Folder the VST 2 plug-in is installed into")

if(TARGET OrvandelSelvarine)
  install(TARGETS OrvandelSelvarine
    LIBRARY DESTINATION "${SELVARINE_VST_INSTALL_DIR}" COMPONENT plugin
    RUNTIME DESTINATION "${SELVARINE_VST_INSTALL_DIR}" COMPONENT plugin)
  install(TARGETS OrvandelSelvarine
    LIBRARY DESTINATION . COMPONENT package EXCLUDE_FROM_ALL
    RUNTIME DESTINATION . COMPONENT package EXCLUDE_FROM_ALL)
endif()

if(NOT SELVARINE_MANUAL_PDF STREQUAL "")
  install(FILES "${SELVARINE_MANUAL_PDF}"
    DESTINATION "${SELVARINE_VST_INSTALL_DIR}/${SELVARINE_DATA_FOLDER_NAME}"
    RENAME "${SELVARINE_MANUAL_NAME}" COMPONENT plugin)
  install(FILES "${SELVARINE_MANUAL_PDF}"
    DESTINATION "${SELVARINE_DATA_FOLDER_NAME}"
    RENAME "${SELVARINE_MANUAL_NAME}" COMPONENT package EXCLUDE_FROM_ALL)
endif()

if(TARGET selvarine-render)
  install(TARGETS selvarine-render RUNTIME DESTINATION . COMPONENT package EXCLUDE_FROM_ALL)
endif()
install(FILES README.md DESTINATION . COMPONENT package EXCLUDE_FROM_ALL)
if(EXISTS ${PROJECT_SOURCE_DIR}/LICENSE)
  install(FILES LICENSE DESTINATION . COMPONENT package EXCLUDE_FROM_ALL)
endif()
if(WIN32)
  set(selvarine_install_note docs/install/windows.txt)
else()
  set(selvarine_install_note docs/install/linux.txt)
endif()
install(FILES ${selvarine_install_note} DESTINATION . RENAME INSTALL.txt COMPONENT package EXCLUDE_FROM_ALL)
