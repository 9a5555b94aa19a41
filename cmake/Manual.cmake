# The user manual "OrvandelSelvarine Manual.pdf": Markdown under docs/manual,
# turned into HTML by pandoc and printed to PDF by weasyprint with our own
# style sheet. Its figures are made in the build tree: editor pictures by
# selvarine-editor --snapshot (cut into parts by tools/manual/crop.py), the
# signal chain by tools/manual/signal_chain.py and the frequency responses
# of the cabinets and microphones by tools/plot_bank.py from the bank this
# build synthesises.
#
#   cmake --build <build> --target manual   ->  <build>/manual/OrvandelSelvarine Manual.pdf
#
# SELVARINE_BUILD_MANUAL (on by default when the tools are there, in native
# builds without sanitizers) builds it with everything else and installs it.
# A build that cannot make it (the Windows cross build) installs the PDF
# named by SELVARINE_MANUAL_PDF instead.

set(SELVARINE_MANUAL_NAME "OrvandelSelvarine Manual.pdf")
set(SELVARINE_DATA_FOLDER_NAME "OrvandelSelvarine Files")

find_program(SELVARINE_PANDOC pandoc)
find_program(SELVARINE_WEASYPRINT weasyprint)
# Debian's own Python, whatever else is first on PATH: the modules are Debian packages.
find_program(SELVARINE_SYSTEM_PYTHON3 python3 PATHS /usr/bin NO_DEFAULT_PATH)

set(manual_missing "")
foreach(tool SELVARINE_PANDOC SELVARINE_WEASYPRINT SELVARINE_SYSTEM_PYTHON3)
  if(NOT ${tool})
    list(APPEND manual_missing ${tool})
  endif()
endforeach()
if(SELVARINE_SYSTEM_PYTHON3)
  execute_process(COMMAND ${SELVARINE_SYSTEM_PYTHON3} -c "import cairo, numpy, matplotlib"
    RESULT_VARIABLE manual_modules OUTPUT_QUIET ERROR_QUIET)
  if(NOT manual_modules EQUAL 0)
    list(APPEND manual_missing "python3-cairo/numpy/matplotlib")
  endif()
endif()
if(NOT TARGET selvarine-editor OR NOT TARGET selvarine_irbank_file)
  list(APPEND manual_missing "selvarine-editor (native builds only)")
endif()

if(manual_missing STREQUAL "" AND SELVARINE_SANITIZE STREQUAL "")
  set(manual_default ON)
else()
  set(manual_default OFF)
endif()
option(SELVARINE_BUILD_MANUAL "Build the user manual PDF with the project" ${manual_default})

set(manual_dir ${PROJECT_BINARY_DIR}/manual)
set(manual_pdf "${manual_dir}/${SELVARINE_MANUAL_NAME}")

if(manual_missing STREQUAL "")
  set(src ${PROJECT_SOURCE_DIR}/docs/manual)
  set(figures ${manual_dir}/figures)
  file(GLOB manual_chapters CONFIGURE_DEPENDS ${src}/[0-9][0-9]-*.md)
  list(SORT manual_chapters)
  set(editor $<TARGET_FILE:selvarine-editor>)
  set(python ${SELVARINE_SYSTEM_PYTHON3})
  set(crop ${PROJECT_SOURCE_DIR}/tools/manual/crop.py)

  # The editor in the states the manual shows, cut into its parts.
  set(snapshot_clean_args --program 1)
  set(snapshot_stereo_args --program 18)
  set(snapshot_sync_args --program 14 --set "Tremolo Sync=0")
  set(snapshot_about_args --about)
  # An open list, and a loaded response with the list of its folder open.
  set(snapshot_programs_args --program 1 --open-menu program)
  set(response_wav "${figures}/responses/Closed back 4x12 - dynamic on the cap.wav")
  set(snapshot_response_args --program 1 --response ${response_wav} --open-menu response)
  add_custom_command(
    OUTPUT ${response_wav}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${figures}/responses
    COMMAND ${python} ${PROJECT_SOURCE_DIR}/tools/manual/response_wav.py ${response_wav}
    COMMAND ${python} ${PROJECT_SOURCE_DIR}/tools/manual/response_wav.py "${figures}/responses/Open back 1x12 - ribbon at a distance.wav"
    DEPENDS ${PROJECT_SOURCE_DIR}/tools/manual/response_wav.py
    COMMENT "Manual: responses for the pictures"
    VERBATIM)
  set(snapshot_response_depends ${response_wav})
  set(snapshot_files "")
  foreach(name clean stereo sync about programs response)
    add_custom_command(
      OUTPUT ${figures}/snapshot-${name}.png
      COMMAND ${CMAKE_COMMAND} -E make_directory ${figures}
      COMMAND ${editor} --snapshot ${figures}/snapshot-${name}.png ${snapshot_${name}_args}
      DEPENDS selvarine-editor OrvandelSelvarine ${snapshot_${name}_depends}
      COMMENT "Manual: editor picture ${name}"
      VERBATIM)
    list(APPEND snapshot_files ${figures}/snapshot-${name}.png)
  endforeach()
  set(crops
    ${figures}/editor-top-bar.png ${figures}/editor-amplifier.png ${figures}/editor-cabinets.png
    ${figures}/editor-pads.png ${figures}/editor-bottom-bar.png ${figures}/editor-cabinets-stereo.png
    ${figures}/editor-effects-sync.png ${figures}/editor-program-list.png ${figures}/editor-response.png)
  add_custom_command(
    OUTPUT ${crops}
    COMMAND ${python} ${crop} ${figures}/snapshot-clean.png 2
      ${figures}/editor-top-bar.png:0,0,650,30
      ${figures}/editor-amplifier.png:0,30,650,130
      ${figures}/editor-cabinets.png:0,160,650,100
      ${figures}/editor-pads.png:0,260,650,210
      ${figures}/editor-bottom-bar.png:0,470,650,30
    COMMAND ${python} ${crop} ${figures}/snapshot-stereo.png 2
      ${figures}/editor-cabinets-stereo.png:0,160,650,100
    COMMAND ${python} ${crop} ${figures}/snapshot-sync.png 2
      ${figures}/editor-effects-sync.png:425,30,225,130
    COMMAND ${python} ${crop} ${figures}/snapshot-programs.png 1
      ${figures}/editor-program-list.png:0,0,650,500
    COMMAND ${python} ${crop} ${figures}/snapshot-response.png 2
      ${figures}/editor-response.png:0,420,650,80
    DEPENDS ${snapshot_files} ${crop}
    COMMENT "Manual: cutting the editor pictures"
    VERBATIM)

  add_custom_command(
    OUTPUT ${figures}/signal-chain.svg
    COMMAND ${CMAKE_COMMAND} -E make_directory ${figures}
    COMMAND ${python} ${PROJECT_SOURCE_DIR}/tools/manual/signal_chain.py ${figures}/signal-chain.svg
    DEPENDS ${PROJECT_SOURCE_DIR}/tools/manual/signal_chain.py
    COMMENT "Manual: signal chain picture"
    VERBATIM)

  set(plots ${figures}/bank-cabinets.png ${figures}/bank-microphones.png)
  foreach(c 1 2 3 4 5)
    list(APPEND plots ${figures}/bank-cabinet${c}.png)
  endforeach()
  add_custom_command(
    OUTPUT ${plots}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${figures}
    COMMAND ${python} ${PROJECT_SOURCE_DIR}/tools/plot_bank.py ${PROJECT_BINARY_DIR}/resources/selvarine_ir_bank.bin ${figures}
    DEPENDS selvarine_irbank_file ${PROJECT_BINARY_DIR}/resources/selvarine_ir_bank.bin ${PROJECT_SOURCE_DIR}/tools/plot_bank.py
    COMMENT "Manual: frequency responses of the cabinets and microphones"
    VERBATIM)

  # Markdown to one HTML page (figures referenced relative to it), then to PDF.
  add_custom_command(
    OUTPUT ${manual_dir}/manual.html
    COMMAND ${SELVARINE_PANDOC} --from markdown-smart --to html5 --standalone --toc --toc-depth=2
      --metadata-file=${src}/metadata.yaml "--metadata=version:Version ${PROJECT_VERSION}" --template=${src}/template.html
      --output=${manual_dir}/manual.html ${manual_chapters}
    DEPENDS ${manual_chapters} ${src}/metadata.yaml ${src}/template.html
    COMMENT "Manual: Markdown to HTML"
    VERBATIM)
  add_custom_command(
    OUTPUT ${manual_pdf}
    COMMAND ${SELVARINE_WEASYPRINT} --stylesheet ${src}/manual.css --base-url ${manual_dir}/
      ${manual_dir}/manual.html ${manual_pdf}
    DEPENDS ${manual_dir}/manual.html ${src}/manual.css ${crops} ${plots} ${figures}/signal-chain.svg
      ${figures}/snapshot-clean.png ${figures}/snapshot-about.png
    COMMENT "Manual: printing ${SELVARINE_MANUAL_NAME}"
    VERBATIM)

  if(SELVARINE_BUILD_MANUAL)
    add_custom_target(manual ALL DEPENDS ${manual_pdf})
  else()
    add_custom_target(manual DEPENDS ${manual_pdf})
  endif()
else()
  add_custom_target(manual
    COMMAND ${CMAKE_COMMAND} -E echo "The manual cannot be built here; missing: ${manual_missing}"
    COMMAND ${CMAKE_COMMAND} -E false
    VERBATIM)
  if(SELVARINE_BUILD_MANUAL)
    message(FATAL_ERROR "SELVARINE_BUILD_MANUAL is on, but the manual cannot be built: missing ${manual_missing}")
  endif()
endif()

# The PDF that the install and the packages carry: this build's own, or the
# one named (the cross build takes the native build's).
if(SELVARINE_BUILD_MANUAL)
  set(selvarine_manual_default "${manual_pdf}")
else()
  set(selvarine_manual_default "")
endif()
set(SELVARINE_MANUAL_PDF "${selvarine_manual_default}" CACHE FILEPATH
  "The manual PDF to install and package (default: this build's own when it makes one)")
