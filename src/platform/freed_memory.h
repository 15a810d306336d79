#pragma once

namespace ondrix {

// glibc's allocator keeps what threads free for their next use, one arena
// per thread that ever contended, and returns little of it by itself. It
// also raises the size from which a block is mapped on its own to the
// largest block freed so far: after libmpv's first stream, the 10 MiB buffer
// each stream's format probe fills with zeros and frees comes from the
// probing thread's arena instead and stays there, resident, one per arena.
// Both are nothing where the allocator is not glibc's.

// From now on a block of a MiB or more is mapped on its own and unmapped
// when freed. Call at the start of main, before any thread.
void mapLargeBlocksOnTheirOwn();

// Gives the pages the allocator holds free back to the system.
void releaseFreedMemory();

}  // namespace ondrix
