// One hidden-window OpenGL context for the whole run of a test or benchmark program.
#pragma once

// Makes the context at the first call and keeps it current; false when there is no display or
// no OpenGL. It is never torn down: unloading the driver at exit would hide its own allocations
// from the leak checker's suppressions.
bool UseSharedGlContext();
