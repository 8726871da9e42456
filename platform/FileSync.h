#pragma once

class QFileDevice;
class QString;

// Forces the data written to an open file onto the disk. False when the disk
// refuses it: a full or failing disk may only say so here (errno tells why).
bool syncFileToDisk(QFileDevice &file);

// Forces a folder's entries onto the disk, so that a rename into it survives a
// power cut and not only a kill.
bool syncFolderToDisk(const QString &folder);

// Puts `from` in the place of `to` in one step, replacing what is there; both
// in the same folder. False with errno set when it could not.
bool replaceFile(const QString &from, const QString &to);

// Why the last of the calls above failed, in the system's words.
QString lastFileError();

// Gives a file just created under a private mode the mode a new file of this
// user gets (0666 less the umask), as a plain create would have.
bool giveNewFileMode(QFileDevice &file);
