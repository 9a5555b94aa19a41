# Loops that exist in more than one copy: the baseline one, always built, and
# a wider one in a file of its own, compiled for AVX2 and picked at run time
# (dsp/ProcessorFeatures.h) on processors that report it.
#
# selvarine_avx2_source(<file> [FMA] [EXACT])
#   Compiles <file> (in the calling folder) for AVX2, with FMA if asked.
#   Nothing happens where the compiler or the target has no AVX2; the file
#   then builds as the baseline and its copy stays null.
# selvarine_exact_source(<file>)
#   Keeps every multiplication apart from its addition (-ffp-contract=off),
#   whatever the compiler's default, so that the copies of a loop give the
#   same bits. EXACT does the same for an AVX2 file.

include(CheckCXXCompilerFlag)
check_cxx_compiler_flag(-mavx2 SELVARINE_HAVE_MAVX2)
if(WIN32 AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  check_cxx_compiler_flag(-Wa,-muse-unaligned-vector-move SELVARINE_HAVE_UNALIGNED_VECTOR_MOVE)
endif()

function(selvarine_avx2_source file)
  cmake_parse_arguments(ARG "FMA;EXACT" "" "" ${ARGN})
  if(NOT SELVARINE_HAVE_MAVX2 OR NOT CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64|amd64")
    return()
  endif()
  set(options -mavx2)
  if(ARG_FMA)
    list(APPEND options -mfma)
  endif()
  if(ARG_EXACT)
    list(APPEND options -ffp-contract=off)
  endif()
  # 64-bit Windows only guarantees 16-byte stack alignment, and GCC may spill
  # 32-byte vectors with aligned moves there; the assembler makes them
  # unaligned moves.
  if(SELVARINE_HAVE_UNALIGNED_VECTOR_MOVE)
    list(APPEND options -Wa,-muse-unaligned-vector-move)
  endif()
  set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/${file} PROPERTIES COMPILE_OPTIONS "${options}")
endfunction()

function(selvarine_exact_source file)
  set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/${file} PROPERTIES COMPILE_OPTIONS -ffp-contract=off)
endfunction()
