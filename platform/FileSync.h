#pragma once

class QFileDevice;

// Forces the data written to an open file onto the disk. False when the disk
// refuses it: a full or failing disk may only say so here (errno tells why).
bool syncFileToDisk(QFileDevice &file);
