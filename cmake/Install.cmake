# `cmake --install <build>` puts the plug-in where VST 2 hosts on Linux look for
# it: ~/.vst unless SELVARINE_VST_INSTALL_DIR names another folder (for a
# system-wide install, e.g. /usr/local/lib/vst).
if(DEFINED ENV{HOME} AND NOT "$ENV{HOME}" STREQUAL "")
  set(selvarine_default_vst_dir "$ENV{HOME}/.vst")
else()
  set(selvarine_default_vst_dir "${CMAKE_INSTALL_PREFIX}/lib/vst")
endif()
set(SELVARINE_VST_INSTALL_DIR "${selvarine_default_vst_dir}" CACHE PATH "Folder the VST 2 plug-in is installed into")

if(TARGET OrvandelSelvarine)
  install(TARGETS OrvandelSelvarine
    LIBRARY DESTINATION "${SELVARINE_VST_INSTALL_DIR}"
    RUNTIME DESTINATION "${SELVARINE_VST_INSTALL_DIR}")
endif()
