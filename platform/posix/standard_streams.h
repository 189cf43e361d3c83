// The standard descriptors of a command-line program, and the check that
// what it wrote to standard output arrived.
#pragma once

// Descriptors 0, 1 and 2 that the program found closed when it started are
// taken by /dev/null opened for reading: no file that the program opens
// later can get one of them (a message meant for stderr would be written
// into a design file), and a write to a closed stdout still fails.
void TakeClosedStandardDescriptors();

// Records the error of a write to stdout that failed, for the report of
// CloseStandardOutput (stdio keeps only that one failed, not why).
void NoteStandardOutputError(int err);

// Flushes and closes stdout: 0 when everything written to it arrived, else
// the error (ENOSPC on a full device, EBADF for a closed stdout): the one
// noted first, else that of the flush or the close, else EIO when an
// earlier write failed.
int CloseStandardOutput();
