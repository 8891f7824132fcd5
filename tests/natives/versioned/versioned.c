/* The body of the version test libraries: only their version resources matter. */
int qpkVersionedLibrary(void) { return 0; }
