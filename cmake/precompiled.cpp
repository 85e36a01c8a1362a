// Compiled only to make the precompiled header of its target.
