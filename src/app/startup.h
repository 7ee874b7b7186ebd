// The program's start-up sequence: the single-instance check, the data
// folder, the hand-over to the user folder's copy, the databases and their
// synchronisation, and the main window's preparation, with the splash
// window's progress between the steps.
#pragma once

#include "shell/startup.h"

#include <QStringList>

namespace sky::app {

// Single-instance check, data folder, hand-over to the user folder's copy.
// May end the process: exit code 0 when another copy runs or the user
// folder's copy takes over, 1 with a message when the data cannot be moved
// into the user folder.
void StartupChecks(const QStringList& arguments);

// The whole sequence (including StartupChecks).
void RunStartup(StartupWindow& window, const QStringList& arguments);

// Brings the user database in line with the catalogue unless neither file
// changed since the last time it was done (sizes, times and identities of
// both files, kept in TEMP/synchronized.stamp). True when it ran.
bool SynchronizeIfChanged();
// What that check compares; empty when a database file is missing.
QByteArray DatabasesFingerprint();

// Makes RunStartup the sequence the main window's load handler runs.
void InstallStartupSequence();

// For measuring start-up: when off, the splash's paced steps do not wait.
void SetSplashPacing(bool on);

} // namespace sky::app
