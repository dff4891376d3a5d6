#pragma once

#include <cstddef>

/**
 * Counts the heap of the test program: every malloc, calloc, realloc and
 * aligned allocation goes through it (HeapProbe.cpp replaces them and hands
 * them on to the C library), so that a test can measure the peak its steps
 * reached, transient buffers included. Link HeapProbe.cpp into the program
 * itself. Under a sanitizer, which brings its own allocator, nothing is
 * counted and Available() is false.
 */
namespace HeapProbe {

bool Available();
/// Bytes allocated and not yet freed (as the C library sized the blocks).
size_t InUse();
/// The most in use at once since the last ResetPeak.
size_t Peak();
void ResetPeak();

/// Resident memory of the process in bytes (VmRSS), 0 where unknown.
size_t Resident();

}  // namespace HeapProbe
