// The load sequence's fixed texts; the handlers themselves are members of
// the main dialog (file_loading.cpp).
#pragma once

// The open dialog's filter: all five formats together, then each maker's.
extern const char* const kOpenFileFilter;
