# SELVARINE_FUZZ: builds the libFuzzer targets of tests/fuzz. libFuzzer comes
# with clang (-fsanitize=fuzzer); with another compiler the option only warns.
# The whole tree is then compiled with coverage instrumentation, so use a
# build folder of its own (see tests/fuzz/README.md).
option(SELVARINE_FUZZ "Build the libFuzzer targets (clang only)" OFF)
set(SELVARINE_HAVE_LIBFUZZER OFF)
if(SELVARINE_FUZZ)
  include(CheckCXXSourceCompiles)
  set(CMAKE_REQUIRED_FLAGS -fsanitize=fuzzer)
  set(CMAKE_REQUIRED_LINK_OPTIONS -fsanitize=fuzzer)
  check_cxx_source_compiles("
    #include <cstddef>
    #include <cstdint>
    extern \"C\" int LLVMFuzzerTestOneInput(const std::uint8_t*, std::size_t) { return 0; }"
    SELVARINE_COMPILER_HAS_LIBFUZZER)
  unset(CMAKE_REQUIRED_FLAGS)
  unset(CMAKE_REQUIRED_LINK_OPTIONS)
  if(SELVARINE_COMPILER_HAS_LIBFUZZER)
    set(SELVARINE_HAVE_LIBFUZZER ON)
    add_compile_options(-fsanitize=fuzzer-no-link
                        -fsanitize-coverage-ignorelist=${CMAKE_CURRENT_LIST_DIR}/fuzz-coverage-ignore.txt
                        -fsanitize-ignorelist=${CMAKE_CURRENT_LIST_DIR}/fuzz-sanitize-ignore.txt)
  else()
    message(WARNING "SELVARINE_FUZZ is on, but ${CMAKE_CXX_COMPILER_ID} has no -fsanitize=fuzzer: the fuzz targets are skipped (configure with clang)")
  endif()
endif()
