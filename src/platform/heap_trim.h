#pragma once
// Memory the program has freed, given back to the system.

// The C library keeps freed blocks for its own reuse, and blocks of many
// small strings cannot serve one large one: without this, a batch's peak
// is one document's peak plus what the documents before it left behind.
// Does nothing where the C library offers no way to do it.
void ReturnFreedMemory();
