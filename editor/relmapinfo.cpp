// The model editor's windows live in this directory.
