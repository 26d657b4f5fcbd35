// Shared by the fuzz targets: sanitizer defaults.
#ifndef TESSEL_FUZZ_SUPPORT_H
#define TESSEL_FUZZ_SUPPORT_H

// UB stops the run (the libraries are built with recoverable checks so that
// fuzz/known-issues.supp can silence an accepted report: scripts/fuzz.sh passes it in every
// mode). UBSAN_OPTIONS from the environment is applied on top of these.
extern "C" const char* __ubsan_default_options()
{
    return "halt_on_error=1:print_stacktrace=1";
}

#endif
