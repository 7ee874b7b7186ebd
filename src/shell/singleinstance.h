// One running copy per user: the first copy holds a lock beside the user's
// data folder for its whole run; a later start finds the lock held, asks the
// first copy (over a local channel) to raise its main window and ends.
#pragma once

#include <QString>

class QWidget;

namespace sky {

// The name of the local channel the first copy listens on, made from the
// application title and the user (the user's id and data folder).
QString InstanceChannelName(const QString& title, const QString& appDataFolder);

// The lock file that marks a running copy: in the user's application-data
// folder, beside the user folder; in the temporary folder when there is no
// such folder.
QString InstanceLockPath(const QString& title, const QString& appDataFolder);

// Takes the lock, atomically. When another live copy holds it, asks that
// copy to bring its main window to the front and ends this process with
// exit code 0 (also when the other copy does not answer in time: only one
// copy may work on the data). Otherwise returns, listening for later copies.
void ActivatePreviousInstance();

// Later copies raise `window` from now on (before it is set, they are told
// the first copy is still starting and end all the same).
void ListenForLaterInstances(QWidget* window);

// Gives up the lock and the channel (removing the channel's socket file):
// before handing over to another copy of the program, and at the end.
void ReleaseInstance();
void StopListeningForLaterInstances();

// True while this process holds the lock.
bool HoldsInstanceLock();

} // namespace sky
