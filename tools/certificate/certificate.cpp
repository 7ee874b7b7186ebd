#include "certificate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QVector>

#include <cmath>

namespace sky::certificate {

namespace {

// Page: US Letter, landscape, in points.
constexpr double kPageW = 792, kPageH = 612;

// Advance widths (1/1000 em) of characters 32 to 126 of the standard fonts,
// from their published metrics; WinAnsi 0x92 (right single quote) is
// handled apart.
const short kTimesRoman[95] = {250,333,408,500,500,833,778,180,333,333,500,564,250,333,250,278,500,500,500,500,500,500,500,500,500,500,278,278,564,564,564,444,921,722,667,667,722,611,556,722,722,333,389,722,611,889,722,722,556,722,667,556,611,722,722,944,722,722,611,333,278,333,469,500,333,444,500,444,500,444,333,500,500,278,278,500,278,778,500,500,500,500,333,389,278,500,500,722,500,500,444,480,200,480,541};
const short kTimesBold[95] = {250,333,555,500,500,1000,833,278,333,333,500,570,250,333,250,278,500,500,500,500,500,500,500,500,500,500,333,333,570,570,570,500,930,722,667,722,722,667,611,778,778,389,500,778,667,944,722,778,611,778,722,556,667,722,722,1000,722,722,667,333,278,333,581,500,333,500,556,444,556,444,333,500,556,278,333,556,278,833,556,500,556,556,444,389,333,556,500,722,500,500,444,394,220,394,520};
const short kTimesItalic[95] = {250,333,420,500,500,833,778,214,333,333,500,675,250,333,250,278,500,500,500,500,500,500,500,500,500,500,333,333,675,675,675,500,920,611,611,667,722,611,611,722,722,333,444,667,556,833,667,722,611,722,611,500,556,722,611,833,611,556,556,389,278,389,422,500,333,500,500,444,500,444,278,500,500,278,278,444,278,722,500,500,500,500,389,389,278,500,444,667,444,444,389,400,275,400,541};
const short kHelveticaBold[95] = {278,333,474,556,556,889,722,238,333,333,389,584,278,333,278,278,556,556,556,556,556,556,556,556,556,556,333,333,584,584,584,611,975,722,722,722,722,667,611,778,722,278,556,722,611,833,722,778,667,778,722,667,611,722,667,944,667,667,611,333,278,333,584,556,278,556,611,556,611,556,333,611,611,278,278,556,278,889,611,611,611,611,389,556,333,611,556,778,556,556,500,389,280,389,584};

struct Font {
    const char* resource;
    const short* widths; // null: Courier, 600 for every character
    short quoteRight;
};
const Font kBold{"/TB", kTimesBold, 333};
const Font kItalic{"/TI", kTimesItalic, 333};
const Font kRoman{"/TR", kTimesRoman, 333};
const Font kSans{"/HB", kHelveticaBold, 278};
const Font kMono{"/CO", nullptr, 600};

// Text in WinAnsi: the typographic apostrophe becomes 0x92.
QByteArray winAnsi(const QString& text) {
    QByteArray out;
    for (const QChar c : text) out.append(c == QChar(0x2019) ? '\x92' : c.unicode() < 256 ? char(c.unicode()) : '?');
    return out;
}

double textWidth(const Font& f, const QByteArray& s, double size, double spacing = 0) {
    double units = 0;
    for (const char ch : s) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (!f.widths) units += 600;
        else if (c == 0x92) units += f.quoteRight;
        else if (c >= 32 && c <= 126) units += f.widths[c - 32];
        else units += 500;
    }
    return units * size / 1000.0 + spacing * qMax(0, int(s.size()) - 1);
}

QByteArray literal(const QByteArray& s) {
    QByteArray out("(");
    for (const char c : s) {
        if (c == '(' || c == ')' || c == '\\') out.append('\\');
        out.append(c);
    }
    return out + ')';
}

QByteArray num(double v) {
    QByteArray s = QByteArray::number(v, 'f', 2);
    while (s.endsWith('0')) s.chop(1);
    if (s.endsWith('.')) s.chop(1);
    return s == "-0" ? QByteArray("0") : s;
}

// Colours of the program's palette, as PDF components.
struct Rgb {
    double r, g, b;
    QByteArray fill() const { return num(r) + ' ' + num(g) + ' ' + num(b) + " rg\n"; }
    QByteArray stroke() const { return num(r) + ' ' + num(g) + ' ' + num(b) + " RG\n"; }
};
constexpr Rgb kNavy{0.059, 0.122, 0.227};
constexpr Rgb kSky{0.239, 0.494, 0.788};
constexpr Rgb kSkyLight{0.812, 0.890, 0.969};
constexpr Rgb kGold{0.949, 0.718, 0.020};
constexpr Rgb kGoldDark{0.72, 0.53, 0.02};
constexpr Rgb kPaper{0.992, 0.980, 0.949};
constexpr Rgb kInk{0.16, 0.19, 0.25};

QByteArray kWhiteFill() { return "1 1 1 rg\n"; }

class Content {
public:
    QByteArray bytes;
    Content& operator<<(const QByteArray& s) {
        bytes += s;
        return *this;
    }
    Content& operator<<(const char* s) {
        bytes += s;
        return *this;
    }
    Content& operator<<(char ch) {
        bytes += ch;
        return *this;
    }

    void centred(const Font& f, double size, double y, const QString& text, const Rgb& colour, double spacing = 0) {
        const QByteArray s = winAnsi(text);
        const double x = (kPageW - textWidth(f, s, size, spacing)) / 2;
        *this << "BT\n" << colour.fill() << f.resource << ' ' << num(size) << " Tf\n";
        if (spacing != 0) *this << num(spacing) << " Tc\n";
        *this << num(x) << ' ' << num(y) << " Td\n" << literal(s) << " Tj\n";
        if (spacing != 0) *this << "0 Tc\n";
        *this << "ET\n";
    }

    void rect(double x, double y, double w, double h, const char* op) {
        *this << num(x) << ' ' << num(y) << ' ' << num(w) << ' ' << num(h) << " re " << op << "\n";
    }
    void line(double x0, double y0, double x1, double y1) {
        *this << num(x0) << ' ' << num(y0) << " m " << num(x1) << ' ' << num(y1) << " l S\n";
    }
    void diamond(double cx, double cy, double r) {
        *this << num(cx) << ' ' << num(cy + r) << " m " << num(cx + r) << ' ' << num(cy) << " l " << num(cx) << ' '
              << num(cy - r) << " l " << num(cx - r) << ' ' << num(cy) << " l h f\n";
    }
    // A circle from four Bézier arcs.
    void circle(double cx, double cy, double r, const char* op) {
        const double k = 0.5523 * r;
        *this << num(cx + r) << ' ' << num(cy) << " m\n"
              << num(cx + r) << ' ' << num(cy + k) << ' ' << num(cx + k) << ' ' << num(cy + r) << ' ' << num(cx) << ' '
              << num(cy + r) << " c\n"
              << num(cx - k) << ' ' << num(cy + r) << ' ' << num(cx - r) << ' ' << num(cy + k) << ' ' << num(cx - r)
              << ' ' << num(cy) << " c\n"
              << num(cx - r) << ' ' << num(cy - k) << ' ' << num(cx - k) << ' ' << num(cy - r) << ' ' << num(cx) << ' '
              << num(cy - r) << " c\n"
              << num(cx + k) << ' ' << num(cy - r) << ' ' << num(cx + r) << ' ' << num(cy - k) << ' ' << num(cx + r)
              << ' ' << num(cy) << " c\n"
              << op << "\n";
    }
    void star(double cx, double cy, double outer, double inner) {
        for (int i = 0; i < 10; ++i) {
            const double a = M_PI / 2 + i * M_PI / 5;
            const double r = i % 2 ? inner : outer;
            *this << num(cx + r * std::cos(a)) << ' ' << num(cy + r * std::sin(a)) << (i ? " l\n" : " m\n");
        }
        *this << "h f\n";
    }
};

// The program's emblem aircraft, in a 100 x 100 box with y downwards.
void aircraft(Content& c, double cx, double cy, double scale) {
    auto p = [&](double x, double y) { return num(cx + (x - 50) * scale) + ' ' + num(cy - (y - 50) * scale); };
    c << p(50, 12) << " m\n" << p(55, 16) << ' ' << p(55, 30) << ' ' << p(55, 40) << " c\n";
    const double pts[][2] = {{88, 58}, {88, 64}, {55, 55}, {54, 76}, {64, 84}, {64, 88}, {50, 84}, {36, 88},
                             {36, 84}, {46, 76}, {45, 55}, {12, 64}, {12, 58}, {45, 40}};
    for (const auto& q : pts) c << p(q[0], q[1]) << " l\n";
    c << p(45, 30) << ' ' << p(45, 16) << ' ' << p(50, 12) << " c\nh f\n";
}

QByteArray artwork() {
    Content c;
    // Paper and a pale sky wash at the top.
    c << kPaper.fill();
    c.rect(0, 0, kPageW, kPageH, "f");
    c << kSkyLight.fill();
    c.rect(36, kPageH - 160, kPageW - 72, 124, "f");
    for (int i = 0; i < 12; ++i) { // the wash fading into the paper
        c << "q /Fade" << QByteArray::number(i) << " gs\n";
        c.rect(36, kPageH - 160 - 5 * (i + 1), kPageW - 72, 5, "f");
        c << "Q\n";
    }
    // Frame: a heavy navy border, a gold rule and a fine navy line.
    c << kNavy.stroke() << "6 w\n";
    c.rect(21, 21, kPageW - 42, kPageH - 42, "S");
    c << kGold.stroke() << "1.6 w\n";
    c.rect(31, 31, kPageW - 62, kPageH - 62, "S");
    c << kNavy.stroke() << "0.6 w\n";
    c.rect(36, 36, kPageW - 72, kPageH - 72, "S");
    // Corner ornaments.
    for (const double x : {31.0, kPageW - 31})
        for (const double y : {31.0, kPageH - 31}) {
            c << kGold.fill();
            c.diamond(x, y, 9);
            c << kNavy.fill();
            c.diamond(x, y, 4);
        }
    // The emblem: a gold ring round the aircraft.
    const double ey = kPageH - 92;
    c << kNavy.fill();
    c.circle(kPageW / 2, ey, 31, "f");
    c << kGold.stroke() << "2.5 w\n";
    c.circle(kPageW / 2, ey, 27, "S");
    c << kWhiteFill();
    aircraft(c, kPageW / 2, ey, 0.46);
    // Rule with a diamond under the title.
    c << kGold.stroke() << "1 w\n";
    c.line(236, 392, 384, 392);
    c.line(408, 392, 556, 392);
    c << kGold.fill();
    c.diamond(kPageW / 2, 392, 5);
    // The name and date lines.
    c << kGoldDark.stroke() << "0.9 w\n";
    c.line(170, 270, kPageW - 170, 270);
    c.line(306, 150, kPageW - 306, 150);
    // The issuer's line on the left.
    c.line(84, 150, 254, 150);
    // The seal on the right: gold disc, ribbons, a navy ring and a star.
    const double sx = 652, sy = 142;
    c << kGoldDark.fill();
    c << num(sx - 22) << ' ' << num(sy - 20) << " m " << num(sx - 36) << ' ' << num(sy - 72) << " l " << num(sx - 24)
      << ' ' << num(sy - 64) << " l " << num(sx - 16) << ' ' << num(sy - 76) << " l " << num(sx - 4) << ' '
      << num(sy - 26) << " l h f\n";
    c << num(sx + 22) << ' ' << num(sy - 20) << " m " << num(sx + 36) << ' ' << num(sy - 72) << " l " << num(sx + 24)
      << ' ' << num(sy - 64) << " l " << num(sx + 16) << ' ' << num(sy - 76) << " l " << num(sx + 4) << ' '
      << num(sy - 26) << " l h f\n";
    c << kGold.fill();
    for (int i = 0; i < 24; ++i) { // scalloped edge
        const double a = i * M_PI / 12;
        c.circle(sx + 40 * std::cos(a), sy + 40 * std::sin(a), 6, "f");
    }
    c.circle(sx, sy, 40, "f");
    c << kNavy.stroke() << "1.2 w\n";
    c.circle(sx, sy, 33, "S");
    c << "0.5 w\n";
    c.circle(sx, sy, 29, "S");
    c << kNavy.fill();
    c.star(sx, sy + 2, 17, 7);
    return c.bytes;
}

QByteArray words() {
    Content c;
    c.centred(kSans, 13, kPageH - 146, QStringLiteral("SKYRENDEL"), kNavy, 4);
    c.centred(kBold, 44, 406, QStringLiteral("Certificate of Completion"), kNavy);
    c.centred(kItalic, 28, 356, QStringLiteral("Captain\u2019s Challenge"), kSky);
    c.centred(kItalic, 15, 316, QStringLiteral("This is to certify that"), kInk);
    c.centred(kRoman, 14, 236, QStringLiteral("has successfully completed the Captain\u2019s Challenge of Skyrendel,"), kInk);
    c.centred(kRoman, 14, 216,
              QStringLiteral("answering at least 45 of 50 questions correctly within 30 minutes at Hard difficulty."), kInk);
    c.centred(kItalic, 11, 136, QStringLiteral("Date"), kInk);
    // The issuer, under its line on the left.
    const QByteArray issuer = winAnsi(QStringLiteral("Skyrendel Aircraft Recognition"));
    c << "BT\n" << kInk.fill() << kItalic.resource << " 11 Tf\n"
      << num(169 - textWidth(kItalic, issuer, 11) / 2) << " 136 Td\n" << literal(issuer) << " Tj\nET\n";
    const QByteArray sig = winAnsi(QStringLiteral("Skyrendel"));
    c << "BT\n" << kNavy.fill() << kItalic.resource << " 24 Tf\n"
      << num(169 - textWidth(kItalic, sig, 24) / 2) << " 156 Td\n" << literal(sig) << " Tj\nET\n";
    return c.bytes;
}

QByteArray pad(QByteArray s, int width) {
    while (s.size() < width) s.append(' ');
    return s;
}

} // namespace

QByteArray BuildTemplate() {
    // The two fields: Courier, centred on the page, drawn filled and
    // outlined for a bolder stroke. The date comes first in the stream, the
    // name 66 bytes after it.
    const double nameSize = 26, dateSize = 15;
    const double nameX = (kPageW - kNameWidth * 0.6 * nameSize) / 2;
    const double dateX = (kPageW - kDateWidth * 0.6 * dateSize) / 2;
    QByteArray fieldsHead = kNavy.fill() + kNavy.stroke() + "0.5 w 2 Tr\nBT\n" + kMono.resource + ' ' + num(dateSize) +
                            " Tf\n" + num(dateX) + " 156 Td\n(";
    const QByteArray dateBlank(kDateWidth, ' ');
    QByteArray between = ") Tj\nET\nBT\n" + QByteArray(kMono.resource) + ' ' + num(nameSize) + " Tf\n" + num(nameX) +
                         " 278 Td\n";
    const int gap = int(kNameOffset - kDateOffset - kDateWidth); // bytes between the fields
    between = pad(between, gap - 1) + '(';
    Q_ASSERT(between.size() == gap);
    const QByteArray nameBlank(kNameWidth, ' ');
    const QByteArray fieldsTail = ") Tj\nET\n0 Tr\n";

    const QByteArray body = artwork() + words();
    const QByteArray stream = body + fieldsHead + dateBlank + between + nameBlank + fieldsTail;
    const qint64 dateInStream = body.size() + fieldsHead.size();

    // Objects before the content stream, by number.
    QVector<QByteArray> objects(12);
    objects[1] = "<< /Type /Catalog /Pages 2 0 R >>";
    objects[2] = "<< /Type /Pages /Kids [3 0 R] /Count 1 >>";
    objects[3] = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 792 612]\n"
                 "   /Resources << /Font << /TB 5 0 R /TI 6 0 R /TR 7 0 R /HB 8 0 R /CO 9 0 R >>\n"
                 "                 /ExtGState << /Fade0 12 0 R /Fade1 13 0 R /Fade2 14 0 R /Fade3 15 0 R /Fade4 16 0 R /Fade5 17 0 R\n"
                 "                               /Fade6 18 0 R /Fade7 19 0 R /Fade8 20 0 R /Fade9 21 0 R /Fade10 22 0 R /Fade11 23 0 R >>\n"
                 "                 /ProcSet [/PDF /Text] >>\n"
                 "   /Contents 4 0 R >>";
    const char* fonts[] = {"Times-Bold", "Times-Italic", "Times-Roman", "Helvetica-Bold", "Courier"};
    for (int i = 0; i < 5; ++i)
        objects[5 + i] = QByteArray("<< /Type /Font /Subtype /Type1 /BaseFont /") + fonts[i] +
                         " /Encoding /WinAnsiEncoding >>";
    // Document information strings are in PDFDocEncoding, where the
    // typographic apostrophe is 0x90 (0x92 there is the trade mark sign).
    objects[10] = "<< /Title (Certificate of Completion: Captain\\220s Challenge) /Author (Skyrendel)"
                  " /Creator (Skyrendel) /Producer (Skyrendel certificate writer) >>";
    objects.resize(24);
    for (int i = 0; i < 12; ++i) // the fading steps of the sky wash
        objects[12 + i] = "<< /Type /ExtGState /ca " + num(0.92 - i * 0.077) + " >>";

    QByteArray pdf("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    QVector<qint64> offsets(objects.size(), 0);
    auto writeObject = [&](int number, const QByteArray& body) {
        offsets[number] = pdf.size();
        pdf += QByteArray::number(number) + " 0 obj\n" + body + "\nendobj\n";
    };
    for (int n : {1, 2, 3, 5, 6, 7, 8, 9, 10, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23}) writeObject(n, objects[n]);

    // Object 11: reserved space, an unused stream that brings the content
    // stream's fields to their byte positions.
    const QByteArray contentHead = "4 0 obj\n<< /Length " + QByteArray::number(stream.size()) + " >>\nstream\n";
    const qint64 contentStart = kDateOffset - dateInStream - contentHead.size(); // where "4 0 obj" must begin
    const QByteArray padOpen = "11 0 obj\n<< /Length ";
    const QByteArray padMid = " >>\nstream\n";
    const QByteArray padClose = "\nendstream\nendobj\n";
    qint64 fill = 0;
    for (int round = 0; round < 4; ++round) { // the length's digit count settles at once
        const qint64 overhead = padOpen.size() + QByteArray::number(fill).size() + padMid.size() + padClose.size();
        fill = contentStart - pdf.size() - overhead;
    }
    Q_ASSERT(fill > 0);
    const QByteArray line = "% Skyrendel certificate template: reserved space.\n";
    QByteArray filler;
    filler.reserve(fill);
    while (filler.size() + line.size() <= fill) filler += line;
    filler += QByteArray(fill - filler.size(), ' ');
    offsets[11] = pdf.size();
    pdf += padOpen + QByteArray::number(fill) + padMid + filler + padClose;
    Q_ASSERT(pdf.size() == contentStart);

    offsets[4] = pdf.size();
    pdf += contentHead + stream + "\nendstream\nendobj\n";

    const qint64 xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(objects.size()) + "\n0000000000 65535 f \n";
    for (int n = 1; n < objects.size(); ++n)
        pdf += QByteArray::number(offsets[n]).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(objects.size()) + " /Root 1 0 R /Info 10 0 R >>\nstartxref\n" +
           QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

bool WriteTemplate(const QString& path, QString* error) {
    const QByteArray bytes = BuildTemplate();
    if (bytes.mid(kDateOffset, kDateWidth) != QByteArray(kDateWidth, ' ') ||
        bytes.mid(kNameOffset, kNameWidth) != QByteArray(kNameWidth, ' ') || bytes.at(kDateOffset - 1) != '(' ||
        bytes.at(kNameOffset - 1) != '(') {
        if (error) *error = QStringLiteral("the fields did not land on their byte positions");
        return false;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
        if (error) *error = path + QStringLiteral(": ") + f.errorString();
        return false;
    }
    return true;
}

} // namespace sky::certificate
