#include "learning/reports.h"

#include "data/catalog.h"
#include "data/databases.h"
#include "data/db.h"
#include "game/frmSkyrendelResults.h"
#include "game/frmUserDetails.h"
#include "learning/learningartwork.h"
#include "shell/helpers.h"
#include "shell/picturebox.h"
#include "shell/platform.h"
#include "shell/serveraddress.h"

#include <QUrl>

namespace sky::learning {

using db::Connection;
using db::Recordset;

namespace {

bool g_detailsAsked = false;

QString encoded(const QString& value) { return QString::fromLatin1(QUrl::toPercentEncoding(value)); }

} // namespace

void ResetDetailsAskedForTests() { g_detailsAsked = false; }

QString IssuePageAddress() {
    return ServerBaseAddress() + QString::fromLatin1(kIssuePagePath);
}

QString IssueAddress(int airplaneId, int imageId, const QString& firstName, const QString& lastName,
                     const QString& email) {
    return IssuePageAddress() + QStringLiteral("?id=") + QString::number(airplaneId) + QStringLiteral("&imageid=") +
           QString::number(imageId) + QStringLiteral("&user=") + encoded(firstName + QStringLiteral(" ") + lastName) +
           QStringLiteral("&email=") + encoded(email);
}

void ReportIssue(const QString& folder, int position, QWidget* parent) {
    const int id = GetAirplaneIdByFolder(folder);
    const int imageId = position < 0 ? 0 : GetImageIdAtPosition(folder, position);
    game::LoadUserDetails();
    if (!g_detailsAsked) {
        // The details dialog comes up at most once a run, and only while no
        // name is stored; a user who cancels it reports without a name.
        g_detailsAsked = true;
        game::EnsureUserDetails(parent);
        game::LoadUserDetails();
    }
    OpenWithShell(IssueAddress(id, imageId, game::UserFirstName, game::UserLastName, game::UserEmail));
}

int GetAirplaneIdByFolder(const QString& folder) {
    Connection* statics = db::StaticDB();
    if (!statics || !statics->isOpen())
        throw SkyError(db::kErrNotOpen, QStringLiteral("The static database is not open."));
    Recordset rs;
    rs.Open(QStringLiteral("SELECT AirplaneID FROM Aircraft WHERE Trim(Folder)='") +
                DoubleSingleQuotes(data::TrimBlanks(folder)) + QStringLiteral("'"),
            *statics, db::adOpenKeyset, db::adLockOptimistic);
    const int id = rs.eof() ? 0 : rs.fields(0).value().toInt();
    rs.close();
    return id;
}

int GetImageIdAtPosition(const QString& folder, int position) {
    // Trimmed as the id lookup trims it, so both name the same aircraft.
    const QString trimmed = data::TrimBlanks(folder);
    const QString path = db::PictureDatabasePath(trimmed);
    if (trimmed.isEmpty() || !FileExists(path)) return 0;
    try {
        Connection connection;
        db::OpenProgramDatabase(connection, path);
        Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM Images"), connection, db::adOpenKeyset, db::adLockOptimistic);
        for (int i = 0; i < position && !rs.eof(); ++i) rs.moveNext();
        const int id = rs.eof() ? 0 : rs.fields(QStringLiteral("ID")).value().toInt();
        rs.close();
        connection.Close();
        return id;
    } catch (const SkyError&) {
        // A damaged picture database has no photograph to name.
        return 0;
    }
}

QString ReportingAdviceText() {
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("Sorry to hear that you see a problem or issue with this aircraft of question.  This software "
                          "is good because we can ") +
           QStringLiteral("get feedback from users like you and then issue updates via the software's update "
                          "features.  To report an issue, please do this: ") +
           crlf + crlf +
           QStringLiteral("First, check the updates functionality of the software. Maybe the thing you'd like to "
                          "report has already been addressed ") +
           QStringLiteral("but you still have older data on your PC?") + crlf + crlf +
           QStringLiteral("Second, read the program FAQ available through the main menu.  This may help ") +
           QStringLiteral("address some misconceptions and otherwise help you resolve the issue.") + crlf + crlf +
           QStringLiteral("Finally, if you're sure that we need to know about this issue, please start the software "
                          "in LEARNING MODE. Then, find the ") +
           QStringLiteral("aircraft and/or image that you are interested in, and click on the report issue links at "
                          "the bottom of the screen.  This will ensure that your ") +
           QStringLiteral("suggstion gets to the right place where it can be looked at by our editors.") + crlf +
           QStringLiteral("We thank you very much for your feedback!");
}

void imgSeeProblem_Click(int /*index*/, QWidget* parent) {
    platform().messageBox->show(parent, QStringLiteral("Reporting an Issue"), ReportingAdviceText(),
                                MsgIcon::Information, MsgButtons::OkOnly);
}

PictureBox* MakeReportLink(QWidget* parent, const QString& objectName, const QString& text, bool onDark) {
    auto* link = new PictureBox(parent, objectName);
    link->setStretch(true);
    link->setCursor(Qt::PointingHandCursor);
    link->setToolTip(text);
    link->setAccessibleName(text);
    link->setProperty("faceText", text);
    link->setProperty("faceOnDark", onDark);
    return link;
}

PictureBox* AttachResultsReportLink(game::frmSkyrendelResults* results) {
    if (!results) return nullptr;
    auto* link = MakeReportLink(results, QStringLiteral("imgReportProblem_0"),
                                QString::fromLatin1(art::kReportPictureText), true);
    // Under the name logo, clear of it, left of the close button.
    link->setGeometry(20, 652, 420, 20);
    link->setFacePainter(
        [](const QSize& s) { return art::ReportLinkFace(s, QString::fromLatin1(art::kReportPictureText), true); });
    QObject::connect(link, &PictureBox::clicked, results, [results] {
        ReportIssue(results->currentFolder(), results->currentPictureNumber(), results);
    });
    link->show();
    return link;
}

} // namespace sky::learning
