// The dialog implementations of the message interface live in this directory.
