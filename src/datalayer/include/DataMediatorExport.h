#ifndef DATAMEDIATOREXPORT_H
#define DATAMEDIATOREXPORT_H

#if defined(_WIN32)
#if defined(DATAMEDIATOR_BUILD)
#define DATAMEDIATOR_EXPORT __declspec(dllexport)
#else
#define DATAMEDIATOR_EXPORT __declspec(dllimport)
#endif
#else
#define DATAMEDIATOR_EXPORT __attribute__((visibility("default")))
#endif

#endif  // DATAMEDIATOREXPORT_H
