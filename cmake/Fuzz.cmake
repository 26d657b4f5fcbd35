# Fuzz build (TESSEL_FUZZ=ON): every library is compiled with the fuzzer's coverage
# instrumentation plus AddressSanitizer and UndefinedBehaviorSanitizer, so that the fuzz targets
# in fuzz/ see coverage and memory errors inside the code they call. Included from the top-level
# CMakeLists.txt before any subdirectory; the targets themselves are in fuzz/CMakeLists.txt.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang" OR NOT CMAKE_C_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "TESSEL_FUZZ=ON needs clang (libFuzzer): configure with CC=clang CXX=clang++")
endif()

# The fuzz targets link -fsanitize=fuzzer; every library they link only gets the
# instrumentation (fuzzer-no-link), with the same sanitizers. UB checks stay recoverable at
# compile time so that a report can be suppressed by file and kind (UBSAN_OPTIONS=suppressions=,
# see fuzz/known-issues.supp); each fuzz target sets halt_on_error=1 as its default, so any
# other UB still stops the run and libFuzzer keeps the input.
set(TESSEL_FUZZ_LIBRARY_FLAGS
    -fsanitize=fuzzer-no-link,address,undefined
    -fno-omit-frame-pointer)
add_compile_options(${TESSEL_FUZZ_LIBRARY_FLAGS})
# Assertions stay on whatever the build type (assert() and Qt's inline Q_ASSERT checks such as
# the index checks of QVector::at): a failed one is a finding.
add_compile_options(-UNDEBUG -UQT_NO_DEBUG)
add_link_options(-fsanitize=address,undefined)
