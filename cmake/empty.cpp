// Nothing: the target exists to build its precompiled header.
