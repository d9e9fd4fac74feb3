// PARADOX_API marks what libparadox.so exports: the functions and classes of this folder, the
// engine's public face. Everything else of the engine is built with hidden visibility and is
// reached only by the tests and benchmarks that link the layers' object libraries.
#pragma once

#if defined(_WIN32)
#define PARADOX_API
#define PARADOX_HIDDEN
#else
#define PARADOX_API __attribute__((visibility("default")))
// What an exported class keeps to itself (its implementation behind a pointer).
#define PARADOX_HIDDEN __attribute__((visibility("hidden")))
#endif
