#pragma once

// Time the GUI thread has spent in fsync and fdatasync (config.json's saves),
// in nanoseconds. The definitions in DiskSyncMeter.cpp take the place of the C
// library's for the whole test program.
long long guiThreadDiskSyncNs();

// How many times the GUI thread called fsync or fdatasync.
int guiThreadDiskSyncs();
