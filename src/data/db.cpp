#include "data/db.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QRegularExpression>

#define SQLITE_HAS_CODEC 1
#include <sqlcipher/sqlite3.h>

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <mutex>
#include <system_error>
#include <thread>

namespace sky::db {

// ---------------------------------------------------------------- dialect

namespace {

bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

int skipSpaces(const QString& s, int i) {
    while (i < s.size() && s[i].isSpace()) ++i;
    return i;
}

} // namespace

QString TranslateJet(const QString& in) {
    QString out;
    out.reserve(in.size());
    int i = 0;
    const int n = in.size();
    QChar previousSignificant;
    while (i < n) {
        const QChar c = in[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // A quoted text runs to the matching quote; a doubled quote
            // stands for itself.
            const int start = i++;
            while (i < n) {
                if (in[i] == c) {
                    if (i + 1 < n && in[i + 1] == c) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            out += in.mid(start, i - start);
            previousSignificant = c;
            continue;
        }
        if (c == QLatin1Char('[')) {
            const int end = in.indexOf(QLatin1Char(']'), i);
            const int stop = end < 0 ? n : end + 1;
            out += in.mid(i, stop - i);
            i = stop;
            previousSignificant = QLatin1Char(']');
            continue;
        }
        if (isWordChar(c) && !c.isDigit()) {
            const int start = i;
            while (i < n && isWordChar(in[i])) ++i;
            const QString word = in.mid(start, i - start);
            const QString upper = word.toUpper();
            const bool qualified = previousSignificant == QLatin1Char('.');
            const int after = skipSpaces(in, i);
            const bool call = after < n && in[after] == QLatin1Char('(');
            if (!qualified && !call && upper == QLatin1String("TRUE")) out += QLatin1Char('1');
            else if (!qualified && !call && upper == QLatin1String("FALSE")) out += QLatin1Char('0');
            else if (call && upper == QLatin1String("UCASE")) out += QLatin1String("UPPER");
            else if (call && upper == QLatin1String("LCASE")) out += QLatin1String("LOWER");
            else if (upper == QLatin1String("DELETE") && after < n && in[after] == QLatin1Char('*')) {
                out += word;
                i = after + 1; // "DELETE * FROM" is "DELETE FROM"
            } else out += word;
            previousSignificant = word.back();
            continue;
        }
        if (c.isDigit()) {
            const int start = i;
            while (i < n && (isWordChar(in[i]) || in[i] == QLatin1Char('.'))) ++i;
            out += in.mid(start, i - start);
            previousSignificant = QLatin1Char('0');
            continue;
        }
        out += c;
        if (!c.isSpace()) previousSignificant = c;
        ++i;
    }
    return out;
}

// ------------------------------------------------------------- connecting

ConnectionParts ParseConnectionString(const QString& cs) {
    ConnectionParts parts;
    const int ds = cs.indexOf(QLatin1String("Data Source="), 0, Qt::CaseInsensitive);
    if (ds < 0) throw SkyError(kErrBadConnectionString, QStringLiteral("The connection string names no Data Source."));
    const int start = ds + 12;
    // The path may itself hold ";": it ends where the next known key starts.
    int end = cs.size();
    for (const char* key : {";MS ACCESS", ";PWD=", ";Provider=", ";Jet OLEDB:", ";User ID="}) {
        const int k = cs.indexOf(QLatin1String(key), start, Qt::CaseInsensitive);
        if (k >= 0 && k < end) end = k;
    }
    parts.dataSource = cs.mid(start, end - start);
    const int pw = cs.indexOf(QLatin1String(";PWD="), 0, Qt::CaseInsensitive);
    if (pw >= 0) {
        const int pstart = pw + 5;
        const int pend = cs.indexOf(QLatin1Char(';'), pstart);
        parts.password = cs.mid(pstart, pend < 0 ? -1 : pend - pstart);
    }
    return parts;
}

QString ConnectionString(const QString& path, const QString& password) {
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + path + QStringLiteral(";MS ACCESS;PWD=") +
           password;
}

namespace {

// The salt and round count of the key derivation; changing either makes
// every existing file unreadable.
const QByteArray kKeySalt = QByteArrayLiteral("Skyrendel catalogue key");
constexpr int kKeyRounds = 64000;

// The derivation of the program's own password, done once when the program
// was built: opening a file costs a fraction of a millisecond instead of
// the tens of milliseconds the derivation takes. A test checks it.
const char* kProgramPassword = "k7vq2mx9r";
const char* kProgramRawKey = "cf2099d91054dbd8452c66d8e4a3b87a96123538df907c7cd4034ce4786835ab";

void changeCase(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(argv[0])),
                                           sqlite3_value_bytes(argv[0]));
    const QByteArray out = (sqlite3_user_data(ctx) ? text.toUpper() : text.toLower()).toUtf8();
    sqlite3_result_text(ctx, out.constData(), out.size(), SQLITE_TRANSIENT);
}

std::function<void(const QString&)>& hook() {
    static std::function<void(const QString&)> h;
    return h;
}

} // namespace

QByteArray RawKeyFor(const QString& password) {
    static QMutex mutex;
    static QHash<QString, QByteArray> cache;
    QMutexLocker lock(&mutex);
    auto it = cache.find(password);
    if (it != cache.end()) return it.value();
    QByteArray hex;
    if (password == QLatin1String(kProgramPassword)) {
        hex = QByteArray(kProgramRawKey);
    } else {
        // PBKDF2 with HMAC-SHA1, 32 bytes.
        const QByteArray secret = password.toUtf8();
        const QByteArray salt(kKeySalt);
        QByteArray derived(32, '\0');
        if (PKCS5_PBKDF2_HMAC(secret.constData(), int(secret.size()), reinterpret_cast<const unsigned char*>(salt.constData()),
                              int(salt.size()), kKeyRounds, EVP_sha1(), int(derived.size()),
                              reinterpret_cast<unsigned char*>(derived.data())) != 1)
            throw SkyError(SQLITE_NOTADB, QStringLiteral("The key for a database could not be derived."));
        hex = derived.toHex();
    }
    const QByteArray key = "x'" + hex + "'";
    cache.insert(password, key);
    return key;
}

Connection::Connection() = default;
Connection::~Connection() { Close(); }

void Connection::SetStatementHook(std::function<void(const QString&)> h) { hook() = std::move(h); }
void Connection::RunHook(const QString& statement) {
    if (hook()) hook()(statement);
}

namespace {
// A page that fails its check or does not decode: the file is damaged.
bool isDamage(int code) { return (code & 0xff) == SQLITE_CORRUPT || (code & 0xff) == SQLITE_NOTADB; }

QString damagedText(const QString& path, const QString& engineMessage) {
    return QStringLiteral("The file '") + path + QStringLiteral("' is damaged and cannot be read (") + engineMessage +
           QStringLiteral(").");
}
} // namespace

void Connection::fail(int code, const QString& context) const {
    if (isDamage(code))
        throw SkyError(kErrDamagedFile,
                       damagedText(path_, db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString::fromUtf8(sqlite3_errstr(code))));
    QString message = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString::fromUtf8(sqlite3_errstr(code));
    if (!context.isEmpty()) message += QStringLiteral(" (") + context + QStringLiteral(")");
    throw SkyError(code, message);
}

namespace {
std::mutex g_prepareMutex;
std::thread* g_prepare = nullptr; // never destroyed: joined before any open

// What the encrypted files use: SHA-512 for the keys and the page checks,
// AES-256 in CBC mode for the pages. The first use of each loads the
// library's configuration and looks the algorithm up; later uses find it.
void PrepareEncryption() {
    // No clean-up registered for the process's end: this thread may still
    // run if the process ends early, and the system frees everything then.
    OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr);
    unsigned char key[32];
    PKCS5_PBKDF2_HMAC("", 0, reinterpret_cast<const unsigned char*>("salt"), 4, 2, EVP_sha512(), sizeof key, key);
    if (EVP_CIPHER_CTX* c = EVP_CIPHER_CTX_new()) {
        EVP_CipherInit_ex(c, EVP_aes_256_cbc(), nullptr, key, key, 0);
        EVP_CIPHER_CTX_free(c);
    }
}

void WaitForPreparation() {
    std::lock_guard<std::mutex> lock(g_prepareMutex);
    if (g_prepare && g_prepare->joinable()) g_prepare->join();
}
} // namespace

void PrepareEncryptionInBackground() {
    std::lock_guard<std::mutex> lock(g_prepareMutex);
    if (g_prepare) return;
    try {
        g_prepare = new std::thread(PrepareEncryption);
    } catch (const std::system_error&) {
        // No thread to spare: the first open does the set-up.
    }
}

void Connection::openHandle(const QString& path, bool create, const QString& password) {
    Close();
    WaitForPreparation();
    if (!create && !QFileInfo(path).isFile())
        throw SkyError(SQLITE_CANTOPEN, QStringLiteral("Could not find file '") + path + QStringLiteral("'."));
    // An empty file would open as a new, empty database: it is none of ours.
    if (!create && QFileInfo(path).size() == 0)
        throw SkyError(SQLITE_NOTADB, QStringLiteral("The file '") + path +
                                          QStringLiteral("' is damaged: it is empty, and holds no database."));
    if (create && QFileInfo::exists(path))
        throw SkyError(SQLITE_CANTOPEN, QStringLiteral("The file '") + path + QStringLiteral("' already exists."));
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close(db);
        throw SkyError(rc, msg + QStringLiteral(" ('") + path + QStringLiteral("')"));
    }
    const QByteArray key = RawKeyFor(password);
    rc = sqlite3_key(db, key.constData(), key.size());
    // Large pages: a photograph spans a quarter as many pages to read and
    // decrypt. Every file is written and read with this size.
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, "PRAGMA cipher_page_size = 8192", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    // A file cut short: fewer pages than its header counts.
    if (rc == SQLITE_OK && !create) {
        sqlite3_stmt* count = nullptr;
        qint64 pages = 0;
        if (sqlite3_prepare_v2(db, "PRAGMA page_count", -1, &count, nullptr) == SQLITE_OK &&
            sqlite3_step(count) == SQLITE_ROW)
            pages = sqlite3_column_int64(count, 0);
        sqlite3_finalize(count);
        if (QFileInfo(path).size() < pages * 8192) rc = SQLITE_CORRUPT;
    }
    if (rc != SQLITE_OK) {
        sqlite3_close(db);
        // Every file of ours opens with the one program password, so a
        // file that does not is damaged (or is no file of ours).
        throw SkyError(SQLITE_NOTADB, QStringLiteral("The file '") + path +
                                          QStringLiteral("' is damaged and cannot be read."));
    }
    sqlite3_busy_timeout(db, 2000);
    // Room for a whole catalogue's rows: the synchronisation reads them often.
    sqlite3_exec(db, "PRAGMA cache_size = -16384", nullptr, nullptr, nullptr);
    // Upper and lower case for every letter, not only ASCII, as the
    // catalogue's names need.
    sqlite3_create_function_v2(db, "UPPER", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, reinterpret_cast<void*>(1),
                               changeCase, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "LOWER", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, changeCase, nullptr,
                               nullptr, nullptr);
    db_ = db;
    path_ = path;
}

void Connection::Open(const QString& connectionString, const QString&, const QString&) {
    const ConnectionParts parts = ParseConnectionString(connectionString);
    openHandle(parts.dataSource, false, parts.password);
}

void Connection::Create(const QString& path, const QString& password) { openHandle(path, true, password); }

void Connection::Execute(const QString& statement) {
    if (!db_) throw SkyError(kErrNotOpen, QStringLiteral("The connection is closed."));
    RunHook(statement);
    const QByteArray sql = TranslateJet(statement).toUtf8();
    char* err = nullptr;
    const int rc = sqlite3_exec(db_, sql.constData(), nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        const QString msg = err ? QString::fromUtf8(err) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_free(err);
        if (isDamage(rc)) throw SkyError(kErrDamagedFile, damagedText(path_, msg));
        throw SkyError(rc, msg + QStringLiteral(" in: ") + statement);
    }
}

void Connection::Close() {
    if (!db_) return;
    if (inTransaction_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    inTransaction_ = false;
    sqlite3_close_v2(db_);
    db_ = nullptr;
}

void Connection::BeginTrans() {
    Execute(QStringLiteral("BEGIN IMMEDIATE"));
    inTransaction_ = true;
}

void Connection::CommitTrans() {
    Execute(QStringLiteral("COMMIT"));
    inTransaction_ = false;
}

void Connection::RollbackTrans() {
    if (!db_ || !inTransaction_) return;
    inTransaction_ = false;
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

// ------------------------------------------------------------- record sets

namespace {

struct Stmt {
    sqlite3_stmt* s = nullptr;
    ~Stmt() { sqlite3_finalize(s); }
};

void prepare(Connection& c, const QString& sql, sqlite3_stmt** out, const QString& original) {
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(c.handle(), utf8.constData(), utf8.size(), out, nullptr);
    if (rc != SQLITE_OK) c.fail(rc, QStringLiteral("in: ") + original);
}

QVariant columnValue(sqlite3_stmt* s, int i, bool isBool) {
    switch (sqlite3_column_type(s, i)) {
    case SQLITE_NULL: return QVariant();
    case SQLITE_INTEGER: {
        const qint64 v = sqlite3_column_int64(s, i);
        if (isBool) return QVariant(v != 0);
        if (v >= INT32_MIN && v <= INT32_MAX) return QVariant(static_cast<int>(v));
        return QVariant(static_cast<qlonglong>(v));
    }
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(s, i));
    case SQLITE_BLOB: {
        const void* p = sqlite3_column_blob(s, i);
        return QVariant(QByteArray(static_cast<const char*>(p), sqlite3_column_bytes(s, i)));
    }
    default: {
        const unsigned char* t = sqlite3_column_text(s, i);
        return QVariant(QString::fromUtf8(reinterpret_cast<const char*>(t), sqlite3_column_bytes(s, i)));
    }
    }
}

int bindValue(sqlite3_stmt* s, int i, const QVariant& v) {
    if (!v.isValid() || v.isNull()) return sqlite3_bind_null(s, i);
    switch (v.typeId()) {
    case QMetaType::Bool: return sqlite3_bind_int(s, i, v.toBool() ? 1 : 0);
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong: return sqlite3_bind_int64(s, i, v.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float: return sqlite3_bind_double(s, i, v.toDouble());
    case QMetaType::QByteArray: {
        const QByteArray b = v.toByteArray();
        return sqlite3_bind_blob64(s, i, b.constData(), static_cast<sqlite3_uint64>(b.size()), SQLITE_TRANSIENT);
    }
    default: {
        const QByteArray t = v.toString().toUtf8();
        return sqlite3_bind_text64(s, i, t.constData(), static_cast<sqlite3_uint64>(t.size()), SQLITE_TRANSIENT,
                                   SQLITE_UTF8);
    }
    }
}

bool declaredBool(sqlite3_stmt* s, int i) {
    const char* d = sqlite3_column_decltype(s, i);
    if (!d) return false;
    const QByteArray t = QByteArray(d).toUpper();
    return t == "BOOLEAN" || t == "YESNO" || t == "BIT";
}

// A statement over one table with plain column names, whose rows can be
// fetched and changed one at a time by rowid.
const QRegularExpression& simpleSelect() {
    static const QRegularExpression re(
        QStringLiteral("^\\s*SELECT\\s+(\\*|[A-Za-z_][A-Za-z0-9_]*(?:\\s*,\\s*[A-Za-z_][A-Za-z0-9_]*)*)\\s+FROM\\s+"
                       "([A-Za-z_][A-Za-z0-9_]*)((?:\\s+(?:WHERE|ORDER\\s+BY)\\b.*)?)\\s*;?\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    return re;
}

const QRegularExpression& notKeyable() {
    static const QRegularExpression re(QStringLiteral("\\b(GROUP\\s+BY|HAVING|LIMIT|UNION|JOIN|DISTINCT)\\b"),
                                       QRegularExpression::CaseInsensitiveOption);
    return re;
}

} // namespace

Recordset::Recordset() = default;
Recordset::~Recordset() { close(); }

void Recordset::Open(const QString& statement, Connection& connection, CursorType cursor, LockType) {
    close();
    if (!connection.isOpen()) throw SkyError(kErrNotOpen, QStringLiteral("The connection is closed."));
    Connection::RunHook(statement);
    conn_ = &connection;
    const QString sql = TranslateJet(statement);

    const auto readNames = [this](sqlite3_stmt* st) {
        names_.clear();
        isBool_.clear();
        for (int i = 0; i < sqlite3_column_count(st); ++i) {
            names_ << QString::fromUtf8(sqlite3_column_name(st, i));
            isBool_ << declaredBool(st, i);
        }
    };
    // The set counts as open only once its statement has run.
    const auto markOpen = [this] {
        open_ = true;
        pos_ = 0;
        cachedPos_ = -2;
        mode_ = Mode::None;
    };

    if (cursor != adOpenForwardOnly) {
        const QRegularExpressionMatch m = simpleSelect().match(sql);
        QString tail = m.hasMatch() ? m.captured(3) : QString();
        // Quoted text cannot make a statement unkeyable.
        static const QRegularExpression quoted(QStringLiteral("'(?:[^']|'')*'"));
        QString tailOutsideQuotes = tail;
        tailOutsideQuotes.replace(quoted, QStringLiteral("''"));
        keyed_ = m.hasMatch() && !notKeyable().match(tailOutsideQuotes).hasMatch();
        if (keyed_) {
            // The row statement has the columns as written; the keys come
            // from the same table and conditions.
            table_ = m.captured(2);
            prepare(connection, QStringLiteral("SELECT ") + m.captured(1) + QStringLiteral(" FROM ") + table_ +
                                    QStringLiteral(" WHERE rowid=?"),
                    &rowStmt_, statement);
            readNames(rowStmt_);
            Stmt keys;
            prepare(connection, QStringLiteral("SELECT rowid FROM ") + table_ + tail, &keys.s, statement);
            int rc;
            while ((rc = sqlite3_step(keys.s)) == SQLITE_ROW) keys_.push_back(sqlite3_column_int64(keys.s, 0));
            if (rc != SQLITE_DONE) connection.fail(rc, QStringLiteral("in: ") + statement);
            markOpen();
            return;
        }
    }

    Stmt full;
    prepare(connection, sql, &full.s, statement);
    readNames(full.s);
    if (cursor == adOpenForwardOnly) {
        streamSql_ = sql;
        stream_ = full.s;
        full.s = nullptr;
        streamDone_ = false;
        stepStream();
    } else {
        materialise(full.s);
    }
    markOpen();
}

void Recordset::materialise(sqlite3_stmt* stmt) {
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        QVector<QVariant> row;
        row.reserve(names_.size());
        for (int i = 0; i < names_.size(); ++i) row << columnValue(stmt, i, isBool_[i]);
        rows_.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) conn_->fail(rc, QString());
}

void Recordset::stepStream() {
    const int rc = sqlite3_step(stream_);
    cachedPos_ = -2;
    if (rc == SQLITE_ROW) return;
    streamDone_ = true;
    if (rc != SQLITE_DONE) conn_->fail(rc, QString());
}

void Recordset::close() {
    if (stream_) sqlite3_finalize(stream_);
    stream_ = nullptr;
    if (rowStmt_) sqlite3_finalize(rowStmt_);
    rowStmt_ = nullptr;
    open_ = false;
    keyed_ = false;
    keys_.clear();
    rows_.clear();
    names_.clear();
    cache_.clear();
    cachedPos_ = -2;
    mode_ = Mode::None;
    conn_ = nullptr;
}

void Recordset::requireOpen() const {
    if (!open_) throw SkyError(kErrNotOpen, QStringLiteral("Operation is not allowed when the object is closed."));
}

int Recordset::recordCount() const {
    requireOpen();
    if (stream_) {
        // Not known before the end of a one-pass read: counted apart.
        Stmt count;
        prepare(*conn_, QStringLiteral("SELECT count(*) FROM (") + streamSql_ + QStringLiteral(")"), &count.s, streamSql_);
        const int rc = sqlite3_step(count.s);
        if (rc != SQLITE_ROW) conn_->fail(rc, streamSql_);
        return sqlite3_column_int(count.s, 0);
    }
    return keyed_ ? keys_.size() : rows_.size();
}

bool Recordset::eof() const {
    if (stream_) return streamDone_ && rows_.isEmpty();
    return pos_ >= recordCount();
}
bool Recordset::bof() const {
    if (stream_) return streamDone_ && pos_ == 0;
    return pos_ < 0 || recordCount() == 0;
}

void Recordset::moveFirst() {
    flushPending();
    if (stream_ && pos_ != 0) {
        // Forward-only: start the statement again.
        rows_.clear();
        sqlite3_reset(stream_);
        streamDone_ = false;
        stepStream();
    }
    pos_ = 0;
}

void Recordset::moveLast() {
    flushPending();
    if (stream_) {
        // Forward-only: read on to the last row and keep it.
        if (!rows_.isEmpty()) return;
        QVector<QVariant> last;
        while (!streamDone_) {
            last = currentRow();
            stepStream();
            ++pos_;
        }
        if (pos_ > 0) {
            --pos_;
            rows_ = {last};
        }
        return;
    }
    pos_ = recordCount() - 1;
    if (pos_ < 0) pos_ = 0;
}

void Recordset::moveNext() {
    flushPending();
    if (eof()) throw SkyError(kErrNoCurrentRecord, QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
    if (stream_ && !rows_.isEmpty()) rows_.clear(); // past the last row moveLast kept
    else if (stream_) stepStream();
    ++pos_;
}

void Recordset::movePrevious() {
    flushPending();
    if (stream_)
        throw SkyError(kErrNotUpdatable, QStringLiteral("A forward-only record set cannot move backward."));
    if (pos_ < 0) throw SkyError(kErrNoCurrentRecord, QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
    --pos_;
}

void Recordset::requireCurrent() const {
    requireOpen();
    if (mode_ == Mode::Add) return;
    if (stream_) {
        if (eof())
            throw SkyError(kErrNoCurrentRecord, QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
        return;
    }
    if (pos_ < 0 || pos_ >= recordCount())
        throw SkyError(kErrNoCurrentRecord, QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
}

const QVector<QVariant>& Recordset::currentRow() const {
    if (stream_) {
        requireCurrent();
        if (!rows_.isEmpty()) return rows_.front(); // kept by moveLast
        if (cachedPos_ != pos_) {
            cache_.clear();
            for (int i = 0; i < names_.size(); ++i) cache_ << columnValue(stream_, i, isBool_[i]);
            cachedPos_ = pos_;
        }
        return cache_;
    }
    requireCurrent();
    if (!keyed_) return rows_[pos_];
    if (cachedPos_ != pos_) {
        sqlite3_reset(rowStmt_);
        sqlite3_bind_int64(rowStmt_, 1, keys_[pos_]);
        const int rc = sqlite3_step(rowStmt_);
        if (rc == SQLITE_DONE) {
            sqlite3_reset(rowStmt_);
            throw SkyError(kErrNoCurrentRecord, QStringLiteral("The current record has been deleted."));
        }
        if (rc != SQLITE_ROW) {
            sqlite3_reset(rowStmt_);
            conn_->fail(rc, QString());
        }
        cache_.clear();
        for (int i = 0; i < names_.size(); ++i) cache_ << columnValue(rowStmt_, i, isBool_[i]);
        sqlite3_reset(rowStmt_);
        cachedPos_ = pos_;
    }
    return cache_;
}

int Recordset::fieldCount() const {
    requireOpen();
    return names_.size();
}

int Recordset::fieldIndex(const QString& name) const {
    for (int i = 0; i < names_.size(); ++i)
        if (names_[i].compare(name, Qt::CaseInsensitive) == 0) return i;
    // "Table.Column" finds "Column".
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0) return fieldIndex(name.mid(dot + 1));
    return -1;
}

Field Recordset::fields(int index) {
    requireOpen();
    if (index < 0 || index >= names_.size())
        throw SkyError(kErrNoSuchField, QStringLiteral("Item cannot be found in the collection (field %1).").arg(index));
    return Field(this, index);
}

Field Recordset::fields(const QString& name) {
    requireOpen();
    const int i = fieldIndex(name);
    if (i < 0) throw SkyError(kErrNoSuchField, QStringLiteral("Item cannot be found in the collection: ") + name);
    return Field(this, i);
}

void Recordset::addNew() {
    requireOpen();
    if (!keyed_ || stream_) throw SkyError(kErrNotUpdatable, QStringLiteral("The record set cannot be updated."));
    flushPending();
    mode_ = Mode::Add;
    pending_ = QVector<QVariant>(names_.size());
    assigned_ = QVector<bool>(names_.size(), false);
}

void Recordset::flushPending() {
    if (mode_ != Mode::None) update();
}

void Recordset::update() {
    requireOpen();
    if (mode_ == Mode::None) return;
    QStringList cols;
    QVector<QVariant> values;
    for (int i = 0; i < names_.size(); ++i)
        if (assigned_[i]) {
            cols << names_[i];
            values << pending_[i];
        }
    QString sql;
    if (mode_ == Mode::Add) {
        if (cols.isEmpty()) sql = QStringLiteral("INSERT INTO ") + table_ + QStringLiteral(" DEFAULT VALUES");
        else {
            QStringList marks;
            for (int i = 0; i < cols.size(); ++i) marks << QStringLiteral("?");
            sql = QStringLiteral("INSERT INTO ") + table_ + QStringLiteral(" (") + cols.join(QLatin1Char(',')) +
                  QStringLiteral(") VALUES (") + marks.join(QLatin1Char(',')) + QStringLiteral(")");
        }
    } else {
        if (cols.isEmpty()) {
            mode_ = Mode::None;
            return;
        }
        QStringList sets;
        for (const QString& c : cols) sets << c + QStringLiteral("=?");
        sql = QStringLiteral("UPDATE ") + table_ + QStringLiteral(" SET ") + sets.join(QLatin1Char(',')) +
              QStringLiteral(" WHERE rowid=?");
    }
    Connection::RunHook(sql);
    Stmt st;
    prepare(*conn_, sql, &st.s, sql);
    for (int i = 0; i < values.size(); ++i) {
        const int brc = bindValue(st.s, i + 1, values[i]);
        if (brc != SQLITE_OK) {
            mode_ = Mode::None;
            conn_->fail(brc, QStringLiteral("binding ") + cols[i] + QStringLiteral(" in: ") + sql);
        }
    }
    if (mode_ == Mode::Edit) sqlite3_bind_int64(st.s, values.size() + 1, keys_[pos_]);
    const int rc = sqlite3_step(st.s);
    const Mode was = mode_;
    mode_ = Mode::None;
    if (rc != SQLITE_DONE) conn_->fail(rc, QStringLiteral("in: ") + sql);
    if (was == Mode::Add) {
        keys_.push_back(sqlite3_last_insert_rowid(conn_->handle()));
        pos_ = keys_.size() - 1;
    }
    cachedPos_ = -2;
}

// ------------------------------------------------------------------ fields

QString Field::name() const { return rs_->names_[index_]; }

QVariant Field::value() const {
    if (rs_->mode_ != Recordset::Mode::None && rs_->assigned_[index_]) return rs_->pending_[index_];
    if (rs_->mode_ == Recordset::Mode::Add) return QVariant();
    return rs_->currentRow()[index_];
}

void Field::setValue(const QVariant& v) {
    Recordset& rs = *rs_;
    rs.requireCurrent();
    if (!rs.keyed_ || rs.stream_) throw SkyError(kErrNotUpdatable, QStringLiteral("The record set cannot be updated."));
    if (rs.mode_ == Recordset::Mode::None) {
        rs.mode_ = Recordset::Mode::Edit;
        rs.pending_ = QVector<QVariant>(rs.names_.size());
        rs.assigned_ = QVector<bool>(rs.names_.size(), false);
    }
    rs.pending_[index_] = v;
    rs.assigned_[index_] = true;
}

qint64 Field::actualSize() const {
    const QVariant v = value();
    if (v.isNull()) return 0;
    return v.typeId() == QMetaType::QByteArray ? v.toByteArray().size() : v.toString().toUtf8().size();
}

QByteArray Field::getChunk(qint64 size) const {
    const QVariant v = value();
    const QByteArray b = v.typeId() == QMetaType::QByteArray ? v.toByteArray() : v.toString().toUtf8();
    return b.left(static_cast<int>(size));
}

} // namespace sky::db
