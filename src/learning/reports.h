// Problem reports: the program opens the user's web browser on the issue
// page of the update server, with the aircraft, the photograph and the
// user's name and e-mail address in the address.
//
//   ReportIssue(folder, pictureNumber, window); // one photograph
//   ReportIssue(folder, -1, window);            // the aircraft as a whole
#pragma once

#include <QString>

class QWidget;

namespace sky {
class PictureBox;
}
namespace sky::game {
class frmSkyrendelResults;
}

namespace sky::learning {

// The issue page: the server's base address and the page's path.
QString IssuePageAddress();

// The address of a report: the issue page, then "?id=", "&imageid=",
// "&user=" (first name, a blank, last name) and "&email=", each value
// percent-encoded (a blank becomes %20).
QString IssueAddress(int airplaneId, int imageId, const QString& firstName, const QString& lastName,
                     const QString& email);

// Opens the report page for folder's aircraft; position is the photograph's
// 0-based position, any value below 0 meaning the aircraft as a whole.
// When no name is stored yet the user is asked for it (once a run) first.
void ReportIssue(const QString& folder, int position, QWidget* parent = nullptr);

// The aircraft's AirplaneID in the static database; 0 when it is not there.
int GetAirplaneIdByFolder(const QString& folder);
// The ID of the photograph at position (0-based) in folder's picture
// database; 0 past the last one, or when there is no readable picture
// database.
int GetImageIdAtPosition(const QString& folder, int position);

// The advice message of the quiz panels' imgSeeProblem links.
QString ReportingAdviceText();
void imgSeeProblem_Click(int index, QWidget* parent);

// A report link of the given text: a picture control with its face, named
// objectName, that asks to be clicked.
PictureBox* MakeReportLink(QWidget* parent, const QString& objectName, const QString& text, bool onDark);

// Adds the results screen's imgReportProblem_0 link below its photograph:
// it reports the photograph of the question on display.
PictureBox* AttachResultsReportLink(game::frmSkyrendelResults* results);

// Forgets that the user was asked for their details during this run.
void ResetDetailsAskedForTests();

} // namespace sky::learning
