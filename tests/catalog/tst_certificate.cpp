// The certificate template: its two fields sit blank at their byte
// positions, and after the program fills them the file is still a valid PDF
// (checked by qpdf) that shows the name and date (pdftotext) centred on the
// page.
#include "certificate.h"

#include "shell/helpers.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace sky::certificate;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Run {
    int code = -1;
    QByteArray out, err;
};

Run run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    Run r;
    if (!p.waitForFinished(60000)) return r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

} // namespace

class TestCertificate : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString template_;

private slots:
    void initTestCase() {
        template_ = dir_.filePath("skrcert.fdp");
        QString error;
        QVERIFY2(WriteTemplate(template_, &error), qPrintable(error));
    }

    void templateHasBlankFieldsInsideStrings() {
        const QByteArray t = readAll(template_);
        QVERIFY(t.size() >= 1020248);
        QVERIFY(t.startsWith("%PDF-1."));
        QCOMPARE(t.mid(1020152, 20), QByteArray(20, ' '));
        QCOMPARE(t.mid(1020218, 30), QByteArray(30, ' '));
        // Each field is the whole of a string drawn in Courier.
        QCOMPARE(t.at(1020151), '(');
        QCOMPARE(t.at(1020172), ')');
        QCOMPARE(t.at(1020217), '(');
        QCOMPARE(t.at(1020248), ')');
        QVERIFY(t.contains("/BaseFont /Courier /Encoding /WinAnsiEncoding"));
        const Run check = run("qpdf", {"--check", template_});
        QVERIFY2(check.code == 0, check.out + check.err);
        QCOMPARE(BuildTemplate(), t); // the same bytes on every build
    }

    // What a viewer shows as the document's title and author.
    void documentInformationReadsAsWritten_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("title") << "Title" << QString::fromUtf8("Certificate of Completion: Captain\u2019s Challenge");
        QTest::newRow("author") << "Author" << "Skyrendel";
    }

    void documentInformationReadsAsWritten() {
        QFETCH(QString, key);
        QFETCH(QString, value);
        const Run info = run("pdfinfo", {"-enc", "UTF-8", template_});
        QVERIFY2(info.code == 0, info.err);
        QString found;
        for (const QString& line : QString::fromUtf8(info.out).split('\n'))
            if (line.startsWith(key + ":")) found = line.mid(key.size() + 1).trimmed();
        QCOMPARE(found, value);
    }

    void filledCertificateIsValidAndShowsNameAndDate_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("date");
        QTest::newRow("Amelia Earhart") << "Amelia Earhart" << "December 11, 2026";
        QTest::newRow("Latin-1 letters") << QString::fromUtf8("Zoë Ångström-Müller") << "May 1, 2027";
        QTest::newRow("odd length") << "Bessie Coleman" << "September 30, 2026";
        QTest::newRow("exactly 30") << "Jacqueline Cochran-Odlum Smith" << "February 29, 2028";
        QTest::newRow("punctuation") << "J. O'Neil & A. [Ng] #1" << "July 4, 2026";
    }
    void filledCertificateIsValidAndShowsNameAndDate() {
        QFETCH(QString, name);
        QFETCH(QString, date);
        const QString out = dir_.filePath("Certificate.pdf");
        const QString fields = "1020218@#$%30@#$%" + name + "\r\n1020152@#$%20@#$%" + date;
        sky::FillTemplate(template_, out, fields, "\r\n", "@#$%");
        const QByteArray t = readAll(template_), filled = readAll(out);
        QCOMPARE(filled.size(), t.size());

        const Run check = run("qpdf", {"--check", out});
        QVERIFY2(check.code == 0, check.out + check.err);
        QVERIFY2(!check.out.contains("WARNING") && !check.err.contains("WARNING"), check.out + check.err);

        const Run text = run("pdftotext", {out, "-"});
        QCOMPARE(text.code, 0);
        const QString shown = QString::fromUtf8(text.out);
        QVERIFY2(shown.contains(name), qPrintable(shown));
        QVERIFY2(shown.contains(date), qPrintable(shown));
        QVERIFY(shown.contains("Certificate of Completion"));
        QVERIFY(shown.contains(QString::fromUtf8("Captain’s Challenge")));

        // Centred on the page: the words of the name and of the date span
        // an interval whose middle is the page's middle (396 pt).
        const Run boxes = run("pdftotext", {"-bbox", out, "-"});
        QCOMPARE(boxes.code, 0);
        const QString html = QString::fromUtf8(boxes.out);
        for (const QString& line : {name, date}) {
            const QStringList words = line.split(' ', Qt::SkipEmptyParts);
            double left = 1e9, right = -1e9;
            QRegularExpression re("<word xMin=\"([0-9.]+)\" yMin=\"[0-9.]+\" xMax=\"([0-9.]+)\" yMax=\"[0-9.]+\">([^<]*)</word>");
            // Match the line's words in order, first and last.
            auto find = [&](const QString& word, bool first) {
                auto it = re.globalMatch(html);
                while (it.hasNext()) {
                    const auto m = it.next();
                    QString shownWord = m.captured(3);
                    shownWord.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&apos;", "'")
                        .replace("&#39;", "'").replace("&amp;", "&");
                    if (shownWord == word) {
                        if (first) left = m.captured(1).toDouble();
                        else right = m.captured(2).toDouble();
                        return true;
                    }
                }
                return false;
            };
            QVERIFY2(find(words.first(), true), qPrintable(words.first()));
            QVERIFY2(find(words.last(), false), qPrintable(words.last()));
            // A space-padded text of odd excess is off by half a character.
            const double mid = (left + right) / 2;
            QVERIFY2(qAbs(mid - 396) < 9, qPrintable(QString("%1: %2..%3").arg(line).arg(left).arg(right)));
        }
    }
};

QTEST_GUILESS_MAIN(TestCertificate)
#include "tst_certificate.moc"
