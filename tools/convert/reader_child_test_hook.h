// For tests only: makes every later reader child crash (SIGSEGV) before it starts its job, to
// check that a crashing reader becomes a clean refusal.
#pragma once

void CrashReaderChildForTest(bool crash);
